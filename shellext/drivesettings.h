// What the drive page's Apply does with a drive's settings: hands them to
// the driver and records every tracked drive in Salvora.ini beside the
// extension, one Apply at a time on the machine.
#ifndef SALVORA_SHELLEXT_DRIVESETTINGS_H
#define SALVORA_SHELLEXT_DRIVESETTINGS_H

#include "driver/drives.h"

// settings.enabled says whether tracking is on for settings.drive: the
// driver then gets the record, else the drive is switched off. The "Drive"
// entries of Salvora.ini are then written from all 26 records, the rest of
// the file kept as it was. The driver has the settings in any case; false
// when the file was left alone (another Apply kept its turn, a record did
// not come, or the file could not be read or written).
bool WriteBackDriveSettings(const DriveRecord& settings);

#endif
