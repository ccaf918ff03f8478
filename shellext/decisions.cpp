#include "shellext/decisions.h"

#include <string.h>

#include "shellext/resource.h"

CompanionRule DecideCompanion(HandlerKind handler, CompanionKind companion, int32_t count,
                              size_t firstPathLength, int driveNumber)
{
    if (count < 1)
        return CompanionRule::Refused;

    if (companion == CompanionKind::PropertySheet) {
        // The page finds its own drive in the path (a lower-case letter
        // too), and AddPages refuses one without a letter, with the drive
        // types that get no page.
        if (handler == HandlerKind::Drive && count <= 1)
            return CompanionRule::Accepted;
        return CompanionRule::Refused;
    }

    // A first item on no drive of A: to Z:: the commands would act on a
    // drive that has no slot.
    if (driveNumber == 0)
        return CompanionRule::Refused;

    switch (handler) {
    case HandlerKind::Drive:
        return count <= 1 ? CompanionRule::NeedsProtectedDrive : CompanionRule::Refused;
    case HandlerKind::Folder:
    case HandlerKind::File:
        // The paths are canonical, so a drive root, however it was spelt
        // ("E:", "E:\.", "E:\keepme\.."), is "E:\" here. It belongs to the
        // drive handler's menu, and ForceDelete never takes a whole drive.
        return firstPathLength != 3 ? CompanionRule::NeedsProtectedDrive : CompanionRule::Refused;
    }
    return CompanionRule::Refused;
}

MenuPlan PlanContextMenu(HandlerKind handler, uint32_t flags, int32_t selectedCount)
{
    MenuPlan plan = {0, {{0, 0}, {0, 0}}};
    if (flags & kMenuReservedFlags)
        return plan;
    switch (handler) {
    case HandlerKind::Drive:
        plan.items[plan.count++] = {IDS_MENU_UNDELETE, IDS_HELP_UNDELETE_DRIVE};
        plan.items[plan.count++] = {IDS_MENU_CLEARTRASHCAN, IDS_HELP_CLEARTRASHCAN};
        break;
    case HandlerKind::Folder:
        plan.items[plan.count++] = {IDS_MENU_FORCEDELETE, IDS_HELP_FORCEDELETE_FOLDER};
        // The undelete program takes one folder.
        if (selectedCount == 1)
            plan.items[plan.count++] = {IDS_MENU_UNDELETE, IDS_HELP_UNDELETE_FOLDER};
        break;
    case HandlerKind::File:
        plan.items[plan.count++] = {IDS_MENU_FORCEDELETE, IDS_HELP_FORCEDELETE_FILE};
        break;
    }
    return plan;
}

VerbAction DecideVerb(HandlerKind handler, uintptr_t verbField)
{
    // Anything above the low word makes the field a pointer to a verb text.
    if (verbField >> 16)
        return VerbAction::VerbIsText;
    switch (handler) {
    case HandlerKind::Drive:
        if (verbField == 0)
            return VerbAction::UndeleteDrive;
        if (verbField == 1)
            return VerbAction::ClearTrashcan;
        break;
    case HandlerKind::Folder:
        if (verbField == 0)
            return VerbAction::ForceDelete;
        // Also when the menu left the item out for a multiple selection.
        if (verbField == 1)
            return VerbAction::UndeleteFolder;
        break;
    case HandlerKind::File:
        if (verbField == 0)
            return VerbAction::ForceDelete;
        break;
    }
    return VerbAction::NoSuchVerb;
}

int HelpTextId(HandlerKind handler, uintptr_t verb)
{
    switch (handler) {
    case HandlerKind::Drive:
        return verb == 0 ? IDS_HELP_UNDELETE_DRIVE : verb == 1 ? IDS_HELP_CLEARTRASHCAN : 0;
    case HandlerKind::Folder:
        return verb == 0 ? IDS_HELP_FORCEDELETE_FOLDER : verb == 1 ? IDS_HELP_UNDELETE_FOLDER : 0;
    case HandlerKind::File:
        return verb == 0 ? IDS_HELP_FORCEDELETE_FILE : 0;
    }
    return 0;
}

bool FormatUndeleteParameters(const char* path, UndeleteMode mode, char* out, size_t outSize)
{
    static const char kDriveSwitch[] = " /drv";
    if (outSize == 0)
        return false;
    out[0] = '\0';
    size_t pathLength = strlen(path);
    size_t switchLength = mode == UndeleteMode::Drive ? sizeof kDriveSwitch - 1 : 0;
    if (pathLength + switchLength >= outSize)
        return false;
    memcpy(out, path, pathLength);
    memcpy(out + pathLength, kDriveSwitch, switchLength);
    out[pathLength + switchLength] = '\0';
    return true;
}
