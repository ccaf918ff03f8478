#include "paths/listedname.h"

bool ListedNameTally::Add(const char* longName, const char* shortName)
{
    // An entry without a short name has only its long one.
    bool listed = same_(longName, name_) || (shortName[0] && same_(shortName, name_));
    if (listed)
        ++count_;
    return listed;
}

ListedName ListedNameTally::Result() const
{
    return count_ == 0 ? ListedName::Missing : count_ == 1 ? ListedName::Unique : ListedName::Ambiguous;
}
