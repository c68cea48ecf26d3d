#pragma once
// The table of the host's CD-ROM drives, built once at start-up by the scan: the drive
// chooser lists it, the settings file remembers the chosen drive by its name, and the CD
// requests address the chosen drive through it.
//
// Record 0 is the "<none>" entry (no real drive: the Sega CD reads its disc image);
// records 1 to `cd_drive_count` are the drives found, at most seven, in the order of their
// place on the host's SCSI buses (host, channel, id, LUN). Each record is 32 bytes:
//
//   byte  0      host adapter number
//   byte  1      target id
//   byte  2      logical unit number
//   byte  3      drive letter (the host has none: 0)
//   bytes 4-27   name: bytes 8-31 of the drive's INQUIRY data (vendor and product
//                identification), not terminated; CR and LF are replaced by blanks
//   bytes 28-31  zero, which ends the name
//
// A side table holds the device node of each record ("/dev/sr0"), through which the
// commands go.

#include <array>
#include <string>
#include <string_view>

#include "base/types.h"
#include "cddrive/scsi_device.h"

namespace varn {

inline constexpr u32 kCdDriveRecordBytes = 32;
inline constexpr u32 kCdDriveNameBytes   = 24;
inline constexpr u32 kCdDriveMax         = 7;  // drives the table has room for
inline constexpr u32 kCdDriveRecordCount = kCdDriveMax + 1;

struct CdDriveRecord {
    u8 adapter = 0;
    u8 target  = 0;
    u8 lun     = 0;
    u8 letter  = 0;
    std::array<char, kCdDriveNameBytes> name{};
    std::array<u8, 4> terminator{};

    // The name up to its first NUL (all 24 bytes when there is none).
    std::string_view name_text() const;
};
static_assert(sizeof(CdDriveRecord) == kCdDriveRecordBytes);

extern std::array<CdDriveRecord, kCdDriveRecordCount> cd_drive_records;
extern u8 cd_drive_count;
// The device node of each record; empty for record 0.
extern std::array<std::string, kCdDriveRecordCount> cd_drive_paths;
// True once a scan has run (the table then describes the host, even when it found nothing).
extern bool cd_drive_table_built;

// The chosen record (0: no real drive) and where the CD requests send their commands.
extern u8 cd_drive_selected;
struct CdDriveAddress {
    u8 adapter = 0;
    u8 target  = 0;
    u8 lun     = 0;
    u8 letter  = 0;
    std::string path;  // empty: no real drive
};
extern CdDriveAddress cd_drive_address;

// The 24 name bytes as the settings file stores them under `CDD` (same layout as the
// settings code's CdDriveName).
using CdDriveNameField = std::array<char, kCdDriveNameBytes>;

// Record 0 only, nothing chosen, no scan run.
void cd_drive_table_reset();

// The scan: lists the bus's devices, takes the CD-ROM and write-once devices in the order
// host, channel, id, LUN, asks each for its INQUIRY data and fills records 1 to 7 with
// those that answer. Returns the number of drives found.
u32 cd_drive_scan(ScsiBus& bus);

// The record whose name field holds `saved` (the text from the settings file, up to its
// first NUL); 0 when none does or `saved` is empty.
u32 cd_drive_find(std::string_view saved);

// Makes record `index` the chosen drive (an index past the table chooses none): sets
// `cd_drive_selected`, `cfg_cd_drive` and `cd_drive_address`.
void cd_drive_select(u32 index);

// The name field of record `index` as the settings file stores it; "<none>" for an index
// past the table.
CdDriveNameField cd_drive_name_field(u32 index);

// The name the settings file stores under `CDD` at exit: the chosen record's (`cfg_cd_drive`);
// when no scan has run, the name the file held, kept as it was read.
CdDriveNameField cd_drive_settings_name();

// Start-up: scans the host's drives and restores the drive named under `CDD` in the
// settings file as the chosen one.
void aspi_init();
// Start-up with another bus (tests, or a host without SG_IO drives).
void aspi_init(ScsiBus& bus);

// The bus the start-up scan uses: the kernel's SCSI devices unless replaced.
ScsiBus& cd_drive_system_bus();
void cd_drive_set_system_bus(ScsiBus* bus);  // null: the kernel's again

}  // namespace varn
