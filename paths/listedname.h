// Which entries of a folder a name may mean, from the folder's listing
// alone. Portable, so that the rule is tested natively; the comparison
// without regard to case is the caller's (the system's, which knows the
// code page's letters).
#ifndef SALVORA_PATHS_LISTEDNAME_H
#define SALVORA_PATHS_LISTEDNAME_H

enum class ListedName {
    Missing,     // no entry lists under the name
    Unique,      // one entry does: the name means that one
    Ambiguous,   // more than one does: the name cannot say which
};

// Tallies a folder's entries, as it is listed, against a name sought in it.
// An entry lists under the name when its long name or its short name equals
// the name without regard to case, as `same` compares them. Names that the
// code page cannot show list alike ("??.txt"), and so do names that differ
// in case alone on a disk that keeps both.
class ListedNameTally {
public:
    typedef bool (*SameName)(const char* a, const char* b);

    ListedNameTally(const char* name, SameName same) : name_(name), same_(same) {}

    // True when the entry lists under the name.
    bool Add(const char* longName, const char* shortName);
    ListedName Result() const;

private:
    const char* name_;
    SameName same_;
    int count_ = 0;
};

#endif
