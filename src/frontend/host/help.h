#pragma once
// Help: the help database is opened with the desktop's default viewer for its file type.
// The database is looked for in the help folder (`GCDPath`); when it is not there the user
// is asked for it, and the folder of the chosen file is kept as the new help folder, so it
// is written to the settings file at exit and found directly next time.
//
// The viewer is bound on first use; when it cannot be started, help does nothing for the
// rest of the run. User-interface thread only.

#include <optional>
#include <string>

#include "base/types.h"

namespace varn {

inline constexpr const char* kHelpDatabaseName = "RIRevidiv.CHM";

// What help needs of the desktop.
class HelpUi {
  public:
    virtual ~HelpUi() = default;
    // The open-file dialog for the database (existing files only), starting in
    // `initial_folder`; none when cancelled.
    virtual std::optional<std::string> choose_database(const std::string& initial_folder) = 0;
    // Opens the document with the desktop's viewer; false when no viewer could be started.
    // `context` is the page the document is wanted at (a game's CRC-32), 0 for its start;
    // a viewer that has no pages opens the start.
    virtual bool open_document(const std::string& path, u32 context) = 0;
};

// Opens `path` at `context` through the viewer. False without a viewer; after the first
// such failure every call returns false at once.
bool help_open(HelpUi& ui, const std::string& path, u32 context);

// The Help command: finds the database (asking for it when needed) and opens it at the
// loaded game's page when `game_crc` is not 0, else at its start. False when nothing was
// opened (cancelled, or no viewer).
bool help_show_database(HelpUi& ui, u32 game_crc);

// The viewer binding back to its start state (tests).
void help_reset();

}  // namespace varn
