#pragma once
// The main menu on the toolkit's menu bar, built from the menu data. It is the MenuView the
// language file and the check-mark model act on: items are found by command id, popup
// titles by their position chain (separators count). Choosing an item sends its command id;
// the opening of the menu and its closing are reported once per menu session, however many
// popups are opened in between.

#include <QMenuBar>
#include <QObject>
#include <functional>
#include <unordered_map>
#include <vector>

#include "frontend/menu_resource.h"
#include "settings/menu_view.h"

namespace varn {

class QtMenu : public QObject, public MenuView {
  public:
    QtMenu(QMenuBar* bar, const std::vector<MenuEntry>& entries);

    bool set_checked(u32 command_id, bool checked) override;
    bool set_text(u32 command_id, std::string_view text) override;
    bool set_text_at(std::span<const u32> path, std::string_view text) override;
    // Takes the item out of the menu; false when it is not there.
    bool remove(u32 command_id);

    QAction* action(u32 command_id) const;
    QMenuBar* bar() const { return bar_; }
    // True between the menu's opening and its closing.
    bool is_open() const { return open_; }

    std::function<void(u32 command_id)> on_command;
    std::function<void()> on_opened;
    std::function<void()> on_closed;

  private:
    void add_entries(QWidget* parent, const std::vector<MenuEntry>& entries, bool top_level);
    void popup_shown();
    void popup_hidden();
    void check_closed();

    QMenuBar* bar_;
    std::unordered_map<u32, QAction*> actions_;
    std::vector<QMenu*> top_menus_;
    bool open_ = false;
};

}  // namespace varn
