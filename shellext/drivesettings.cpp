// The drive page's write-back: the driver's 26 records, the one that
// changed, and the "Drive" entries of Salvora.ini made from them.
#include "shellext/drivesettings.h"

#include <windows.h>
#include <new>

#include "driver/driver.h"
#include "inifile/inifile.h"
#include "paths/modulepath.h"
#include "shellext/pagevalues.h"
#include "shellext/server.h"

namespace {

const char kIniName[] = "Salvora.ini";
const char kIniSection[] = "Salvora";
const char kIniKey[] = "Drive";

// The write-back's turn, one Apply at a time across the threads (each sheet
// has its own) and processes (a second shell) of the machine. The name is
// shared by every copy of the extension, as Salvora.ini is.
const char kWriteBackMutex[] = "Salvora.ini write-back";
// How long an Apply waits for another one's turn to end: a turn sends one
// record, reads 26 and writes a small file, so this is already a hung one.
const DWORD kWriteBackWait = 10000;

void WriteDriveEntries(TINIFile* ini, const DriveRecord table[kDriveSlots])
{
    char texts[kDriveSlots][kDriveEntrySize];
    int count = DriveEntryTexts(table, texts);
    if (count == 0) {
        // Entries left from drives that are no longer tracked would still
        // claim tracking for them.
        ini->ClearKeys(kIniSection, kIniKey);
        return;
    }
    ini->WriteFirstString(kIniSection, kIniKey, texts[0]);
    for (int i = 1; i < count; ++i)
        ini->WriteNextString(texts[i]);
    ini->WriteClose();
}

// False when the file could not be written. Lines that stand as the file
// already holds them are not written again: the store compares first.
bool FlushChanges(TINIFile* ini)
{
    ini->FlushFile();
    return ini->LastFlush != IniFlushFailed;
}

// Records the drives that have tracking on as the "Drive" entries of
// Salvora.ini, keeping the rest of the file. False when the file could not
// be read or written.
bool SaveDriveEntries(const DriveRecord table[kDriveSlots])
{
    char path[kPathBufferSize];
    if (!ModuleSiblingPath(DllModule, kIniName, path))
        return false;
    TINIFile* ini = new (std::nothrow) TINIFile(path);
    if (!ini)
        return false;
    bool saved = false;
    int32_t status = ini->ReadFile();
    // A missing file is an empty one; any other failure leaves lines that
    // are not the file, which must not be written over it.
    if (status == IniSuccess || status == IniFileMissing) {
        WriteDriveEntries(ini, table);
        saved = FlushChanges(ini);
    }
    // Written once, and checked: the destructor must not try again unseen.
    ini->WriteMode &= ~FlushOnDestroy;
    delete ini;
    return saved;
}

// Held from the driver's records to the file written from them: otherwise
// two Applies that read the records at the same moment each write a file
// without the other's drive, and the last one wins.
class WriteBackTurn {
public:
    WriteBackTurn() : mutex_(CreateMutexA(NULL, FALSE, kWriteBackMutex)), held_(false)
    {
        // An owner that ended inside its turn left the file whole (it is
        // replaced only once complete), so its turn is ours.
        if (mutex_) {
            DWORD wait = WaitForSingleObject(mutex_, kWriteBackWait);
            held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~WriteBackTurn() { End(); }

    bool Held() const { return held_; }
    void End()
    {
        if (held_)
            ReleaseMutex(mutex_);
        held_ = false;
        if (mutex_)
            CloseHandle(mutex_);
        mutex_ = NULL;
    }

private:
    HANDLE mutex_;
    bool held_;

    WriteBackTurn(const WriteBackTurn&);
    WriteBackTurn& operator=(const WriteBackTurn&);
};

}  // namespace

bool WriteBackDriveSettings(const DriveRecord& settings)
{
    // Without the turn the driver still gets the settings; the file is left
    // alone.
    WriteBackTurn turn;
    DriveRecord table[kDriveSlots];
    bool allRead = true;
    for (int drive = 1; drive <= kDriveSlots; ++drive)
        allRead = FetchDriveRecord(drive, &table[drive - 1]) && allRead;
    table[settings.drive - 1] = settings;

    DWORD returned = 0;
    if (settings.enabled) {
        DriveRecord record = settings;
        DriverRequest(SetDriveInfo, &record, sizeof record, NULL, 0, &returned);
    } else {
        WORD number = settings.drive;
        DriverRequest(DisableDrive, &number, sizeof number, NULL, 0, &returned);
    }

    // A record that did not come would read as a drive without tracking and
    // take its entry away: the file then stays as it is.
    return allRead && turn.Held() && SaveDriveEntries(table);
}
