#pragma once
// The option commands of the Config menu and the menu's check marks.
//
// Every command stores its value in the configuration block (base/config.h) and then
// refreshes the whole menu's check marks from the configuration, option by option. A toggle
// stores (old low byte AND 1) XOR 1, so an odd stored value turns it off. The refresh never
// changes a configuration value; a value that is not one of an option's choices leaves that
// option's marks as they were.
//
// The model runs on the user-interface thread. It reaches the menu through a MenuView and
// everything else (machine, display, sound, dialogs) through an OptionHost.

#include <array>
#include <optional>
#include <string>

#include "base/config.h"
#include "base/types.h"
#include "settings/menu_view.h"
#include "settings/option_host.h"

namespace varn {

// Command ids of the menu and accelerators that the model handles or marks.
namespace cmd {
inline constexpr u32 kSetBrmPath          = 32770;
inline constexpr u32 kSystemRomFirst      = 32771;  // ten system ROM files, 32771-32780
inline constexpr u32 kSystemRomLast       = 32780;
inline constexpr u32 kBrmInStates         = 32787;
inline constexpr u32 kFrameSkipAuto       = 32790;
inline constexpr u32 kFrameSkip0          = 32791;  // "0", "1", "3", "7": 32791-32794
inline constexpr u32 kScreenSingle        = 32795;
inline constexpr u32 kScreenDouble        = 32796;
inline constexpr u32 kScreenFull          = 32797;
inline constexpr u32 kScanlinesNone       = 32798;
inline constexpr u32 kScanlinesHalf       = 32799;
inline constexpr u32 kScanlinesBlank      = 32800;
inline constexpr u32 kForceDisplay        = 32813;
inline constexpr u32 kStereo              = 32820;
inline constexpr u32 kRate11025           = 32821;
inline constexpr u32 kRate22050           = 32822;
inline constexpr u32 kRate44100           = 32823;
inline constexpr u32 kSoundAll            = 32824;
inline constexpr u32 kSoundYm2612         = 32825;
inline constexpr u32 kAllowAliasing       = 32839;
inline constexpr u32 kPlayerFirst         = 32850;  // 32850 + 10 * slot + k, k 0-5
inline constexpr u32 kRegionAuto          = 32941;
inline constexpr u32 kRegionOrderFirst    = 32942;  // 32942-32944
inline constexpr u32 kRegionUsa           = 32945;
inline constexpr u32 kRegionJapan         = 32946;
inline constexpr u32 kRegionEurope        = 32947;
inline constexpr u32 kPort1First          = 32951;  // 3-button ... Justifier: 32951-32956
inline constexpr u32 kPort2First          = 32962;  // 32962-32967
inline constexpr u32 kGenUseBios          = 33806;
inline constexpr u32 kDisableZ80          = 32972;
inline constexpr u32 kAutofixChecksum     = 32973;
inline constexpr u32 kGenSpriteLimit      = 32974;
inline constexpr u32 kSquashInterlace     = 32975;
inline constexpr u32 k32xUseBios          = 32976;
inline constexpr u32 kSmsSpriteLimit      = 32977;
inline constexpr u32 kMouseCapture        = 33848;
inline constexpr u32 kSmsUseBios          = 33849;
inline constexpr u32 kCdDriveChooser      = 33860;
inline constexpr u32 kScdRamCart          = 33863;
inline constexpr u32 kErrorMsgFirst       = 33869;  // RVF, ASP, UNR, ZLB, KestGen, Kest32X, KestSMS
inline constexpr u32 kAutoPauseFocus      = 33878;
inline constexpr u32 kAutonameStates      = 33881;
inline constexpr u32 kAutonamePatches     = 33882;
inline constexpr u32 kAutonameScreenshots = 33883;
inline constexpr u32 kAutonameDemos       = 33884;
inline constexpr u32 kAutonameWaves       = 33885;
inline constexpr u32 kAutonameVgm         = 33886;  // no menu item
inline constexpr u32 kAutonameMovies      = 33887;  // no menu item
inline constexpr u32 kScdEnable32x        = 33898;
inline constexpr u32 kRamCartSizeFirst    = 33899;  // 8, 16, 32, 64 KB: 33899-33902
inline constexpr u32 kStretchFirst        = 33910;  // 33910-33915
inline constexpr u32 kNameOrderFirst      = 33920;  // 33920-33922
inline constexpr u32 kScdJpBiosFix        = 33930;
// Accelerator-only ids that reach the menu commands.
inline constexpr u32 kAccelScreenDouble = 36002;
inline constexpr u32 kAccelScreenFull   = 36006;
inline constexpr u32 kAccelScreenSingle = 36012;
inline constexpr u32 kAccelDisableZ80   = 36013;
}  // namespace cmd

// The expansion sub-ports' items: 3-button, 6-button, mouse of sub-ports 1A-1D, 2A-2D.
inline constexpr std::array<std::array<u32, 3>, 8> kExpansionPortItems = {{
    {33811, 33812, 33813},
    {33815, 33816, 33817},
    {33820, 33821, 33822},
    {33824, 33825, 33826},
    {33828, 33829, 33830},
    {33832, 33833, 33834},
    {33837, 33838, 33839},
    {33841, 33842, 33843},
}};

class OptionModel {
  public:
    OptionModel(MenuView& menu, OptionHost& host) : menu_(menu), host_(host) {}

    // Runs the command with this id; false when the id has no option handler here.
    bool command(u32 id);

    // Sets every check mark and the two order menus' texts from the configuration.
    void menu_refresh_checks();

    // The handlers the settings reader and the device set-ups re-apply stored values with.
    void select_region(u32 value);                   // 0 Japan, 1 USA, 2 Europe, else auto (4)
    void select_port(u32 port, u32 type);            // port 0-1, type 0-5
    void select_sub_port(u32 sub, u32 type);         // sub-port 0-7 (1A-2D), type 0-2
    void select_frame_skip(u32 setting);             // 0, 1, 3, 7 or 15
    void select_screen_size(u32 size);               // 0 single, 1 double
    void select_scanlines(u32 mode);                 // 0, 1, 2
    void select_sound_rate(u32 index);               // 0 44100, 1 22050, 2 11025
    void select_input_device(u32 slot, u32 device);  // 0 keyboard .. 3 network

    // What the display, sound and input set-ups apply at start-up: each stored value
    // through its command, values outside the choices mapped to the command's default.
    void apply_display_setup();
    void apply_sound_setup();
    void apply_input_setup();

    // The search or detection order `value` (0-5) after choosing the entry at position
    // 1-3 of its order menu; values outside 0-5 stay.
    static u32 order_after_choice(u32 value, u32 position);

  private:
    void toggle(ConfigWord& w);
    void console_lines_for_region();
    void finish() { menu_refresh_checks(); }
    void choose_system_rom(u32 index);
    void keep_path(std::string& path, const std::string& chosen);
    void switch_fullscreen();
    void size_command_tail();
    void scanline_command(u32 mode);
    void stretch_command(u32 value);
    bool player_command(u32 slot, u32 k);

    void check_choice(const ConfigWord& w, std::span<const u32> values, std::span<const u32> items);
    void check_flag(const ConfigWord& w, u32 item);
    void check_nonzero(const ConfigWord& w, u32 item);
    void order_texts(const ConfigWord& w, u32 first_item, u32 first_slot);

    MenuView& menu_;
    OptionHost& host_;
};

}  // namespace varn
