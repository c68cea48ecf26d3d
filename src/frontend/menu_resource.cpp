#include "frontend/menu_resource.h"

#include <array>

#include "settings/option_model.h"

namespace varn {

namespace {

using Kind = MenuEntry::Kind;

MenuEntry item(std::string_view text, u32 id) { return {Kind::kItem, text, id, {}}; }
MenuEntry popup(std::string_view text, std::vector<MenuEntry> children) {
    return {Kind::kPopup, text, 0, std::move(children)};
}
MenuEntry separator() { return {Kind::kSeparator, {}, 0, {}}; }

// A run of items with consecutive ids.
void items(std::vector<MenuEntry>& into, std::span<const std::string_view> texts, u32 first) {
    for (u32 i = 0; i < texts.size(); ++i) into.push_back(item(texts[i], first + i));
}

MenuEntry file_menu() {
    return popup("File", {
                             item("&Load ROM...\tAlt L", cmd::kLoadRom),
                             item("Boot S&ega CD", cmd::kBootSegaCd),
                             separator(),
                             item("L&oad State...\tF3", cmd::kLoadState),
                             item("&Save State...\tF2", cmd::kSaveState),
                             separator(),
                             item("Load &Demo...", cmd::kLoadDemo),
                             item("Sa&ve Demo...\tF8", cmd::kSaveDemo),
                             separator(),
                             item("Load &Patch...", cmd::kLoadPatch),
                             item("Save S&creenshot...\tF9", cmd::kSaveScreenshot),
                             item("Save &Wave Log...\tF6", cmd::kSaveWaveLog),
                             separator(),
                             item("E&xit\tAlt X", cmd::kExit),
                         });
}

MenuEntry file_io_menu() {
    static constexpr std::array<std::string_view, 10> kRoms = {
        "Genesis...",     "32X Master SH2...", "32X Slave SH2...", "32X M68000...",
        "Sega CD (U)...", "Sega CD (E)...",    "Sega CD (J)...",   "SMS (U)...",
        "SMS (E)...",     "SMS (J)..."};
    std::vector<MenuEntry> roms;
    items(roms, kRoms, cmd::kSystemRomFirst);
    return popup("File IO", {
                                popup("Load System ROM", std::move(roms)),
                                item("Set Default &CD Drive...", cmd::kCdDriveChooser),
                                item("Set &BRM Path...", cmd::kSetBrmPath),
                                separator(),
                                item("&Save BRMs in save states", cmd::kBrmInStates),
                                separator(),
                                item("Autoname saved-states", cmd::kAutonameStates),
                                item("Autoname demos", cmd::kAutonameDemos),
                                item("Autoname patches", cmd::kAutonamePatches),
                                item("Autoname screenshots", cmd::kAutonameScreenshots),
                                item("Autoname waves", cmd::kAutonameWaves),
                            });
}

MenuEntry graphics_menu() {
    return popup(
        "Graphics",
        {
            popup("Frame Skip", {item("Auto", cmd::kFrameSkipAuto), item("0", cmd::kFrameSkip0),
                                 item("1", cmd::kFrameSkip0 + 1), item("3", cmd::kFrameSkip0 + 2),
                                 item("7", cmd::kFrameSkip0 + 3)}),
            popup("Screen Size", {item("Single\tAlt -", cmd::kScreenSingle),
                                  item("Double\tAlt +", cmd::kScreenDouble),
                                  item("Full Screen\tF4", cmd::kScreenFull)}),
            popup("Scan Lines",
                  {item("None", cmd::kScanlinesNone), item("Half Intensity", cmd::kScanlinesHalf),
                   item("Blank Lines", cmd::kScanlinesBlank)}),
            separator(),
            item("Force &Display", cmd::kForceDisplay),
        });
}

MenuEntry sound_menu() {
    std::vector<MenuEntry> ym{item("ALL", cmd::kSoundYm2612), separator()};
    static constexpr std::array<std::string_view, 6> kChannels = {"Ch 1", "Ch 2", "Ch 3",
                                                                  "Ch 4", "Ch 5", "Ch 6"};
    items(ym, kChannels, 32833);
    std::vector<MenuEntry> enable{item("&All", cmd::kSoundAll), separator(),
                                  popup("Genesis YM2612", std::move(ym))};
    static constexpr std::array<std::string_view, 7> kSources = {
        "Genesis &DAC",   "Genesis &PSG", "32X P&WM",   "Sega CD PC&M",
        "Sega CD &CD-DA", "SMS PS&G",     "SMS YM&2413"};
    items(enable, kSources, 32826);
    return popup("Sound", {
                              popup("Rate", {item("&44100", cmd::kRate44100),
                                             item("&22050", cmd::kRate22050),
                                             item("&11025", cmd::kRate11025)}),
                              item("&Stereo", cmd::kStereo),
                              popup("Enable", std::move(enable)),
                              separator(),
                              item("&Allow Aliasing", cmd::kAllowAliasing),
                          });
}

MenuEntry input_menu() {
    static constexpr std::array<std::string_view, 8> kPlayers = {
        "Player 1a", "Player 1b", "Player 1c", "Player 1d",
        "Player 2a", "Player 2b", "Player 2c", "Player 2d"};
    std::vector<MenuEntry> players;
    for (u32 slot = 0; slot < kPlayers.size(); ++slot) {
        const u32 first = cmd::kPlayerFirst + 10 * slot;
        players.push_back(
            popup(kPlayers[slot],
                  {popup("Device select", {item("Keyboard", first), item("Joystick", first + 1),
                                           item("Mouse", first + 2), item("Network", first + 3)}),
                   separator(), item("Define &Keys...", first + 4),
                   item("Define &Joystick...", first + 5)}));
    }
    players.push_back(separator());
    players.push_back(item("&Joystick...", cmd::kJoystickSetup));
    players.push_back(item("&Network...", 32930));
    return popup("Input", std::move(players));
}

MenuEntry gui_menu() {
    static constexpr std::array<std::string_view, 6> kStretch = {"Self &adjust",
                                                                 "&Static size/Square pixels",
                                                                 "S&tatic size/Stretched",
                                                                 "&Resizeable/Square pixels",
                                                                 "R&esizeable/Custom XY ratio",
                                                                 "Res&izeable/Stretched"};
    static constexpr std::array<std::string_view, 7> kErrors  = {
         "ROM Validity Failure", "Missing WNASPI32.DLL", "Missing UnRAR.DLL",  "Missing ZLib.DLL",
         "Missing KestGen.DLL",  "Missing Kest32X.DLL",  "Missing KestSMS.DLL"};
    // The order items get their texts from the current order at every check refresh.
    static constexpr std::array<std::string_view, 3> kNames = {"&ROM Namer", "&Filename",
                                                               "&Header"};
    std::vector<MenuEntry> stretch, names, errors;
    items(stretch, kStretch, cmd::kStretchFirst);
    items(names, kNames, cmd::kNameOrderFirst);
    items(errors, kErrors, cmd::kErrorMsgFirst);
    return popup("GUI", {
                            popup("Frame/Stretch Behavior", std::move(stretch)),
                            popup("&Game Name Search Order", std::move(names)),
                            popup("Error Messages", std::move(errors)),
                            separator(),
                            item("Auto-pause (&Focus)", cmd::kAutoPauseFocus),
                        });
}

// A controller port's popup: Empty first, then the devices from `first` on.
MenuEntry port_menu(std::string_view title, u32 empty, u32 first, bool full, u32 second_gun,
                    std::string_view second_gun_text) {
    std::vector<MenuEntry> entries{item("Empty", empty), item("3 button control pad", first),
                                   item("6 button control pad", first + 1),
                                   item("Sega Mouse", first + 2)};
    if (full) {
        // The multitap comes before the light guns, though its id follows the Menacer's.
        entries.push_back(item("Sega Teamplayer", first + 4));
        entries.push_back(item("Sega Menacer", first + 3));
        entries.push_back(item("Konami Justifier", first + 5));
        entries.push_back(item("EA 4 way", first + 6));
        entries.push_back(item("SMS light phaser", first + 7));
        entries.push_back(item("SMS sports pad", first + 8));
        entries.push_back(item("SMS paddle", first + 9));
    }
    if (second_gun != 0) entries.push_back(item(second_gun_text, second_gun));
    return popup(title, std::move(entries));
}

MenuEntry machine_menu() {
    static constexpr std::array<std::string_view, 3> kRegions = {"&USA", "&Europe", "&Japan"};
    std::vector<MenuEntry> order;
    items(order, kRegions, cmd::kRegionOrderFirst);
    std::vector<MenuEntry> misc{
        popup("Region", {item("&Auto Detect", cmd::kRegionAuto), popup("&Order", std::move(order)),
                         separator(), item("&USA", cmd::kRegionUsa),
                         item("&Europe", cmd::kRegionEurope), item("&Japan", cmd::kRegionJapan)}),
        port_menu("Port 1", 32950, cmd::kPort1First, true, 0, {}),
        port_menu("Port 2", 32961, cmd::kPort2First, true, 0, {}),
        separator(),
    };
    static constexpr std::array<std::string_view, 8> kTaps = {
        "Expansion port 1a", "Expansion port 1b", "Expansion port 1c", "Expansion port 1d",
        "Expansion port 2a", "Expansion port 2b", "Expansion port 2c", "Expansion port 2d"};
    for (u32 sub = 0; sub < kTaps.size(); ++sub) {
        const u32 first = kExpansionPortItems[sub][0];
        const u32 gun   = sub == 1 ? 33818 : sub == 5 ? 33835 : 0;
        misc.push_back(port_menu(kTaps[sub], first - 1, first, false, gun,
                                 sub == 1 ? "Konami Justifier (2nd Gun)" : "Justifier (2nd Gun)"));
    }
    return popup("Machine",
                 {
                     popup("Miscellaneous", std::move(misc)),
                     popup("Genesis", {item("&Use System ROM", cmd::kGenUseBios),
                                       item("&Disable Z80", cmd::kDisableZ80),
                                       item("&Autofix checksum", cmd::kAutofixChecksum),
                                       item("&Sprite Limit", cmd::kGenSpriteLimit),
                                       item("Squash &Interlace", cmd::kSquashInterlace)}),
                     popup("32X", {item("&Use System ROMs", cmd::k32xUseBios)}),
                     popup("Sega CD", {item("&Enable Sega CD/32X", cmd::kScdEnable32x),
                                       item("&Use RAM cartridges", cmd::kScdRamCart),
                                       popup("RAM cartridge size",
                                             {item("0&8 kb", cmd::kRamCartSizeFirst),
                                              item("&16 kb", cmd::kRamCartSizeFirst + 1),
                                              item("&32 kb", cmd::kRamCartSizeFirst + 2),
                                              item("&64 kb", cmd::kRamCartSizeFirst + 3)}),
                                       item("&Weird Japanese BIOS fix", cmd::kScdJpBiosFix)}),
                     popup("SMS", {item("&Use System ROM", cmd::kSmsUseBios),
                                   item("&Sprite Limit", cmd::kSmsSpriteLimit)}),
                 });
}

MenuEntry help_menu() {
    return popup("Help", {
                             item("&Radazar Ezevorarir", cmd::kHelpDatabase),
                             separator(),
                             item("About KestG&en.DLL...", cmd::kAboutKestgen),
                             item("About Kest&32X.DLL...", cmd::kAboutKest32x),
                             separator(),
                             item("&About VARN...\tF1", cmd::kAbout),
                         });
}

std::vector<MenuEntry> build_menu() {
    return {file_menu(),
            popup("Config", {file_io_menu(), graphics_menu(), sound_menu(), input_menu(),
                             gui_menu(), separator(), machine_menu()}),
            help_menu()};
}

constexpr u32 key_f(u32 n) { return kKeyF1 + n - 1; }

constexpr std::array<Accelerator, 27> kAccelerators = {{
    {'L', Accelerator::kAlt, cmd::kAccelLoadRom, "Alt L"},
    {'+', Accelerator::kAlt | Accelerator::kKeypad, cmd::kAccelScreenDouble, "Alt +"},
    {key_f(1), Accelerator::kNone, cmd::kAccelAbout, "F1"},
    {key_f(2), Accelerator::kNone, cmd::kAccelSaveState, "F2"},
    {key_f(3), Accelerator::kNone, cmd::kAccelLoadState, "F3"},
    {key_f(4), Accelerator::kNone, cmd::kAccelScreenFull, "F4"},
    {key_f(6), Accelerator::kNone, cmd::kAccelWaveLog, "F6"},
    {key_f(6), Accelerator::kAlt, cmd::kAccelGymLog, "Alt F6"},
    {key_f(7), Accelerator::kNone, cmd::kAccelMovie, "F7"},
    {key_f(8), Accelerator::kNone, cmd::kAccelSaveDemo, "F8"},
    {key_f(9), Accelerator::kNone, cmd::kAccelScreenshot, "F9"},
    {'-', Accelerator::kAlt | Accelerator::kKeypad, cmd::kAccelScreenSingle, "Alt -"},
    {'Z', Accelerator::kAlt, cmd::kAccelDisableZ80, "Alt Z"},
    {'X', Accelerator::kAlt, cmd::kExit, "Alt X"},
    {'P', Accelerator::kAlt, cmd::kTogglePause, "Alt P"},
    {'R', Accelerator::kAlt, cmd::kReset, "Alt R"},
    {key_f(5), Accelerator::kNone, cmd::kMouseCapture, "F5"},
    {'0', Accelerator::kNone, cmd::kStateSlotFirst + 0, "0"},
    {'1', Accelerator::kNone, cmd::kStateSlotFirst + 1, "1"},
    {'2', Accelerator::kNone, cmd::kStateSlotFirst + 2, "2"},
    {'3', Accelerator::kNone, cmd::kStateSlotFirst + 3, "3"},
    {'4', Accelerator::kNone, cmd::kStateSlotFirst + 4, "4"},
    {'5', Accelerator::kNone, cmd::kStateSlotFirst + 5, "5"},
    {'6', Accelerator::kNone, cmd::kStateSlotFirst + 6, "6"},
    {'7', Accelerator::kNone, cmd::kStateSlotFirst + 7, "7"},
    {'8', Accelerator::kNone, cmd::kStateSlotFirst + 8, "8"},
    {'9', Accelerator::kNone, cmd::kStateSlotFirst + 9, "9"},
}};

}  // namespace

const std::vector<MenuEntry>& main_menu_entries() {
    static const std::vector<MenuEntry> menu = build_menu();
    return menu;
}

std::span<const Accelerator> accelerator_table() { return kAccelerators; }

u32 accelerator_target(u32 id) {
    switch (id) {
        case cmd::kAccelLoadRom:
            return cmd::kLoadRom;
        case cmd::kAccelScreenDouble:
            return cmd::kScreenDouble;
        case cmd::kAccelAbout:
            return cmd::kAbout;
        case cmd::kAccelSaveState:
            return cmd::kSaveState;
        case cmd::kAccelLoadState:
            return cmd::kLoadState;
        case cmd::kAccelScreenFull:
            return cmd::kScreenFull;
        case cmd::kAccelWaveLog:
            return cmd::kSaveWaveLog;
        case cmd::kAccelSaveDemo:
            return cmd::kSaveDemo;
        case cmd::kAccelScreenshot:
            return cmd::kSaveScreenshot;
        case cmd::kAccelScreenSingle:
            return cmd::kScreenSingle;
        case cmd::kAccelDisableZ80:
            return cmd::kDisableZ80;
        default:
            return id;
    }
}

}  // namespace varn
