#include "settings/menu_table.h"

namespace varn {

namespace menu {

MenuEntry item(u16 row, u32 id, std::span<const TextRow> rows) {
    return item(row, id, std::string(rows[row].text) + rows[row].suffix);
}
MenuEntry item(u16 row, u32 id, std::string_view text) {
    return {MenuEntry::Kind::kItem, std::string(text), id, {}, row, true};
}
MenuEntry named(u16 row, u32 id, std::span<const TextRow> rows) {
    return {MenuEntry::Kind::kItem, rows[row].text, id, {}, row, false};
}
MenuEntry plain(std::string_view text, u32 id) {
    return {MenuEntry::Kind::kItem, std::string(text), id, {}, kNoRow, true};
}
MenuEntry popup(u16 row, std::vector<MenuEntry> children, std::span<const TextRow> rows) {
    return {MenuEntry::Kind::kPopup, rows[row].text, 0, std::move(children), row, true};
}
MenuEntry plain_popup(std::string_view text, std::vector<MenuEntry> children) {
    return {MenuEntry::Kind::kPopup, std::string(text), 0, std::move(children), kNoRow, true};
}
MenuEntry separator() { return {MenuEntry::Kind::kSeparator, {}, 0, {}, kNoRow, true}; }

}  // namespace menu

namespace {

using menu::item;
using menu::named;
using menu::plain;
using menu::plain_popup;
using menu::popup;
using menu::separator;

// The rows of consecutive keys as items with consecutive ids.
template <std::size_t N>
void items(std::vector<MenuEntry>& into, const std::array<u16, N>& rows, u32 first) {
    for (u32 i = 0; i < N; ++i) into.push_back(item(rows[i], first + i));
}

MenuEntry file_menu() {
    return popup(text_row("MEN_FIL"), {
                                          item(text_row("MEN_FIL_LRM"), cmd::kLoadRom),
                                          item(text_row("MEN_FIL_SCD"), cmd::kBootSegaCd),
                                          separator(),
                                          item(text_row("MEN_FIL_LST"), cmd::kLoadState),
                                          item(text_row("MEN_FIL_SST"), cmd::kSaveState),
                                          separator(),
                                          item(text_row("MEN_FIL_LDM"), cmd::kLoadDemo),
                                          item(text_row("MEN_FIL_SDM"), cmd::kSaveDemo),
                                          separator(),
                                          item(text_row("MEN_FIL_LPT"), cmd::kLoadPatch),
                                          item(text_row("MEN_FIL_SSS"), cmd::kSaveScreenshot),
                                          item(text_row("MEN_FIL_SWV"), cmd::kSaveWaveLog),
                                          separator(),
                                          item(text_row("MEN_FIL_EXT"), cmd::kExit),
                                      });
}

MenuEntry file_io_menu() {
    static constexpr std::array<u16, 10> kRoms = {
        text_row("MEN_CFG_FIO_GEN_SR0U"), text_row("MEN_CFG_FIO_S32_SR0U"),
        text_row("MEN_CFG_FIO_S32_SR1U"), text_row("MEN_CFG_FIO_S32_SR2U"),
        text_row("MEN_CFG_FIO_SCD_SR0U"), text_row("MEN_CFG_FIO_SCD_SR0E"),
        text_row("MEN_CFG_FIO_SCD_SR0J"), text_row("MEN_CFG_FIO_SMS_SR0U"),
        text_row("MEN_CFG_FIO_SMS_SR0E"), text_row("MEN_CFG_FIO_SMS_SR0J")};
    std::vector<MenuEntry> roms;
    items(roms, kRoms, cmd::kSystemRomFirst);
    return popup(text_row("MEN_CFG_FIO"),
                 {
                     popup(text_row("MEN_CFG_FIO_LSR"), std::move(roms)),
                     item(text_row("MEN_CFG_FIO_CDD"), cmd::kCdDriveChooser),
                     item(text_row("MEN_CFG_FIO_BRM"), cmd::kSetBrmPath),
                     separator(),
                     item(text_row("MEN_CFG_FIO_UBR"), cmd::kBrmInStates),
                     separator(),
                     item(text_row("MEN_CFG_FIO_ANGSS"), cmd::kAutonameStates),
                     item(text_row("MEN_CFG_FIO_ANDEM"), cmd::kAutonameDemos),
                     item(text_row("MEN_CFG_FIO_ANPAT"), cmd::kAutonamePatches),
                     item(text_row("MEN_CFG_FIO_ANSHT"), cmd::kAutonameScreenshots),
                     item(text_row("MEN_CFG_FIO_ANWAV"), cmd::kAutonameWaves),
                 });
}

MenuEntry graphics_menu() {
    return popup(text_row("MEN_CFG_GFX"),
                 {
                     popup(text_row("MEN_CFG_GFX_FMS"),
                           {item(text_row("MEN_CFG_GFX_FMS_A"), cmd::kFrameSkipAuto),
                            plain("0", cmd::kFrameSkip0), plain("1", cmd::kFrameSkip0 + 1),
                            plain("3", cmd::kFrameSkip0 + 2), plain("7", cmd::kFrameSkip0 + 3)}),
                     popup(text_row("MEN_CFG_GFX_SCR"),
                           {item(text_row("MEN_CFG_GFX_SCR_S"), cmd::kScreenSingle),
                            item(text_row("MEN_CFG_GFX_SCR_D"), cmd::kScreenDouble),
                            item(text_row("MEN_CFG_GFX_SCR_F"), cmd::kScreenFull)}),
                     popup(text_row("MEN_CFG_GFX_SCL"),
                           {item(text_row("MEN_CFG_GFX_SCL_N"), cmd::kScanlinesNone),
                            item(text_row("MEN_CFG_GFX_SCL_H"), cmd::kScanlinesHalf),
                            item(text_row("MEN_CFG_GFX_SCL_B"), cmd::kScanlinesBlank)}),
                     separator(),
                     item(text_row("MEN_CFG_GFX_FDS"), cmd::kForceDisplay),
                 });
}

MenuEntry sound_menu() {
    std::vector<MenuEntry> ym{plain("ALL", cmd::kSoundYm2612), separator()};
    static constexpr std::array<std::string_view, 6> kChannels = {"Ch 1", "Ch 2", "Ch 3",
                                                                  "Ch 4", "Ch 5", "Ch 6"};
    for (u32 i = 0; i < kChannels.size(); ++i) ym.push_back(plain(kChannels[i], 32833 + i));
    std::vector<MenuEntry> enable{plain("&All", cmd::kSoundAll), separator(),
                                  plain_popup("Genesis YM2612", std::move(ym))};
    static constexpr std::array<std::string_view, 7> kSources = {
        "Genesis &DAC",   "Genesis &PSG", "32X P&WM",   "Sega CD PC&M",
        "Sega CD &CD-DA", "SMS PS&G",     "SMS YM&2413"};
    for (u32 i = 0; i < kSources.size(); ++i) enable.push_back(plain(kSources[i], 32826 + i));
    return popup(text_row("MEN_CFG_SND"),
                 {
                     popup(text_row("MEN_CFG_SND_SPS"),
                           {plain("&44100", cmd::kRate44100), plain("&22050", cmd::kRate22050),
                            plain("&11025", cmd::kRate11025)}),
                     item(text_row("MEN_CFG_SND_2CH"), cmd::kStereo),
                     plain_popup("Enable", std::move(enable)),
                     separator(),
                     item(text_row("MEN_CFG_SND_ALI"), cmd::kAllowAliasing),
                 });
}

MenuEntry input_menu() {
    static constexpr std::array<u16, 8> kPlayers = {
        text_row("MEN_CFG_INP_PL1A"), text_row("MEN_CFG_INP_PL1B"), text_row("MEN_CFG_INP_PL1C"),
        text_row("MEN_CFG_INP_PL1D"), text_row("MEN_CFG_INP_PL2A"), text_row("MEN_CFG_INP_PL2B"),
        text_row("MEN_CFG_INP_PL2C"), text_row("MEN_CFG_INP_PL2D")};
    std::vector<MenuEntry> players;
    for (u32 slot = 0; slot < kPlayers.size(); ++slot) {
        const u32 first = cmd::kPlayerFirst + 10 * slot;
        players.push_back(
            popup(kPlayers[slot], {popup(text_row("MEN_CFG_INP_PLXX_DSL"),
                                         {item(text_row("MEN_CFG_INP_PLXX_K"), first),
                                          item(text_row("MEN_CFG_INP_PLXX_J"), first + 1),
                                          item(text_row("MEN_CFG_INP_PLXX_M"), first + 2),
                                          item(text_row("MEN_CFG_INP_PLXX_N"), first + 3)}),
                                   separator(), item(text_row("MEN_CFG_INP_PLXX_KEY"), first + 4),
                                   item(text_row("MEN_CFG_INP_PLXX_JOY"), first + 5)}));
    }
    players.push_back(separator());
    players.push_back(item(text_row("MEN_CFG_INP_JSC"), cmd::kJoystickSetup));
    players.push_back(item(text_row("MEN_CFG_INP_NET"), 32930));
    return popup(text_row("MEN_CFG_INP"), std::move(players));
}

MenuEntry gui_menu() {
    static constexpr std::array<u16, 6> kStretch = {
        text_row("MEN_CFG_GUI_FSB_SFQ"), text_row("MEN_CFG_GUI_FSB_SSQ"),
        text_row("MEN_CFG_GUI_FSB_SST"), text_row("MEN_CFG_GUI_FSB_RSQ"),
        text_row("MEN_CFG_GUI_FSB_RSC"), text_row("MEN_CFG_GUI_FSB_RST")};
    static constexpr std::array<u16, 7> kErrors = {
        text_row("MEN_CFG_GUI_ERM_RVF"),  text_row("MEN_CFG_GUI_ERM_ASP"),
        text_row("MEN_CFG_GUI_ERM_UNR"),  text_row("MEN_CFG_GUI_ERM_ZLB"),
        text_row("MEN_CFG_GUI_ERM_KGEN"), text_row("MEN_CFG_GUI_ERM_K32X"),
        text_row("MEN_CFG_GUI_ERM_KSMS")};
    std::vector<MenuEntry> stretch, errors;
    items(stretch, kStretch, cmd::kStretchFirst);
    items(errors, kErrors, cmd::kErrorMsgFirst);
    // The order items get their texts from the name rows and the current order at every
    // check refresh; they start in the order namer, file name, header.
    std::vector<MenuEntry> names{named(text_row("MEN_CFG_GUI_GNM_ROM"), cmd::kNameOrderFirst),
                                 named(text_row("MEN_CFG_GUI_GNM_FIL"), cmd::kNameOrderFirst + 1),
                                 named(text_row("MEN_CFG_GUI_GNM_HDR"), cmd::kNameOrderFirst + 2)};
    return popup(text_row("MEN_CFG_GUI"),
                 {
                     popup(text_row("MEN_CFG_GUI_FSB"), std::move(stretch)),
                     popup(text_row("MEN_CFG_GUI_GNM"), std::move(names)),
                     popup(text_row("MEN_CFG_GUI_ERM"), std::move(errors)),
                     separator(),
                     item(text_row("MEN_CFG_GUI_APF"), cmd::kAutoPauseFocus),
                 });
}

// A controller port's popup: Empty first, then the devices from `first` on.
MenuEntry port_menu(u16 title, u32 empty, u32 first, bool full, u32 second_gun,
                    std::string_view second_gun_text) {
    std::vector<MenuEntry> entries{item(text_row("MEN_CFG_MAC_MSC_CPX_EMP"), empty),
                                   item(text_row("MEN_CFG_MAC_MSC_CPX_3BP"), first),
                                   item(text_row("MEN_CFG_MAC_MSC_CPX_6BP"), first + 1),
                                   item(text_row("MEN_CFG_MAC_MSC_CPX_SMO"), first + 2)};
    if (full) {
        // The multitap comes before the light guns, though its id follows the Menacer's.
        entries.push_back(item(text_row("MEN_CFG_MAC_MSC_CPX_STP"), first + 4));
        entries.push_back(item(text_row("MEN_CFG_MAC_MSC_CPX_SME"), first + 3));
        entries.push_back(item(text_row("MEN_CFG_MAC_MSC_CPX_KJF"), first + 5));
        entries.push_back(item(text_row("TXT_EA_4_WAY"), first + 6));
        entries.push_back(item(text_row("MEN_CFG_MAC_MSC_CPX_SMS_LPH"), first + 7));
        entries.push_back(item(text_row("MEN_CFG_MAC_MSC_CPX_SMS_SPD"), first + 8));
        entries.push_back(item(text_row("MEN_CFG_MAC_MSC_CPX_SMS_PDL"), first + 9));
    }
    if (second_gun != 0)
        entries.push_back(item(text_row("MEN_CFG_MAC_MSC_CPX_KJF2"), second_gun, second_gun_text));
    return popup(title, std::move(entries));
}

MenuEntry machine_menu() {
    const u16 usa = text_row("MEN_CFG_MAC_MSC_CTR_U"), europe = text_row("MEN_CFG_MAC_MSC_CTR_E"),
              japan = text_row("MEN_CFG_MAC_MSC_CTR_J");
    std::vector<MenuEntry> misc{
        popup(text_row("MEN_CFG_MAC_MSC_CTR"),
              {item(text_row("MEN_CFG_MAC_MSC_CTR_A"), cmd::kRegionAuto),
               popup(text_row("MEN_CFG_MAC_MSC_ORD"),
                     {named(usa, cmd::kRegionOrderFirst), named(europe, cmd::kRegionOrderFirst + 1),
                      named(japan, cmd::kRegionOrderFirst + 2)}),
               separator(), item(usa, cmd::kRegionUsa), item(europe, cmd::kRegionEurope),
               item(japan, cmd::kRegionJapan)}),
        port_menu(text_row("MEN_CFG_MAC_MSC_CP1"), 32950, cmd::kPort1First, true, 0, {}),
        port_menu(text_row("MEN_CFG_MAC_MSC_CP2"), 32961, cmd::kPort2First, true, 0, {}),
        separator(),
    };
    static constexpr std::array<u16, 8> kTaps = {
        text_row("MEN_CFG_MAC_MSC_T1A"), text_row("MEN_CFG_MAC_MSC_T1B"),
        text_row("MEN_CFG_MAC_MSC_T1C"), text_row("MEN_CFG_MAC_MSC_T1D"),
        text_row("MEN_CFG_MAC_MSC_T2A"), text_row("MEN_CFG_MAC_MSC_T2B"),
        text_row("MEN_CFG_MAC_MSC_T2C"), text_row("MEN_CFG_MAC_MSC_T2D")};
    for (u32 sub = 0; sub < kTaps.size(); ++sub) {
        const u32 first = kExpansionPortItems[sub][0];
        const u32 gun   = sub == 1 ? 33818 : sub == 5 ? 33835 : 0;
        misc.push_back(port_menu(kTaps[sub], first - 1, first, false, gun,
                                 sub == 1 ? "Konami Justifier (2nd Gun)" : "Justifier (2nd Gun)"));
    }
    return popup(text_row("MEN_CFG_MAC"),
                 {
                     popup(text_row("MEN_CFG_MAC_MSC"), std::move(misc)),
                     popup(text_row("MEN_CFG_MAC_GEN"),
                           {item(text_row("MEN_CFG_MAC_GEN_USR"), cmd::kGenUseBios),
                            item(text_row("MEN_CFG_MAC_GEN_Z80"), cmd::kDisableZ80),
                            item(text_row("MEN_CFG_MAC_GEN_AFC"), cmd::kAutofixChecksum),
                            item(text_row("MEN_CFG_MAC_GEN_SPL"), cmd::kGenSpriteLimit),
                            item(text_row("MEN_CFG_MAC_GEN_SQI"), cmd::kSquashInterlace)}),
                     popup(text_row("MEN_CFG_MAC_S32"),
                           {item(text_row("MEN_CFG_MAC_S32_USR"), cmd::k32xUseBios)}),
                     popup(text_row("MEN_CFG_MAC_SCD"),
                           {item(text_row("MEN_CFG_MAC_SCD_32X"), cmd::kScdEnable32x),
                            item(text_row("MEN_CFG_MAC_SCD_URC"), cmd::kScdRamCart),
                            popup(text_row("MEN_CFG_MAC_SCD_RCS"),
                                  {plain("0&8 kb", cmd::kRamCartSizeFirst),
                                   plain("&16 kb", cmd::kRamCartSizeFirst + 1),
                                   plain("&32 kb", cmd::kRamCartSizeFirst + 2),
                                   plain("&64 kb", cmd::kRamCartSizeFirst + 3)}),
                            item(text_row("MEN_CFG_MAC_SCD_WJF"), cmd::kScdJpBiosFix)}),
                     // No VDP popup: MEN_CFG_MAC_SMS_VDP names nothing here.
                     popup(text_row("MEN_CFG_MAC_SMS"),
                           {item(text_row("MEN_CFG_MAC_SMS_USR"), cmd::kSmsUseBios),
                            item(text_row("MEN_CFG_MAC_SMS_SPL"), cmd::kSmsSpriteLimit)}),
                 });
}

MenuEntry help_menu() {
    return popup(text_row("MEN_HLP"), {
                                          item(text_row("TXT_HELP_DATABASE"), cmd::kHelpDatabase),
                                          separator(),
                                          item(text_row("MEN_HLP_ABT_KGEN"), cmd::kAboutKestgen),
                                          item(text_row("MEN_HLP_ABT_K32X"), cmd::kAboutKest32x),
                                          separator(),
                                          item(text_row("MEN_HLP_ABT"), cmd::kAbout),
                                      });
}

}  // namespace

const std::vector<MenuEntry>& main_menu_entries() {
    static const std::vector<MenuEntry> menu = {
        file_menu(),
        popup(text_row("MEN_CFG"), {file_io_menu(), graphics_menu(), sound_menu(), input_menu(),
                                    gui_menu(), separator(), machine_menu()}),
        help_menu()};
    return menu;
}

}  // namespace varn
