#include "frontend/qt_menu.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QTimer>

namespace varn {

namespace {

QString menu_text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtMenu::QtMenu(QMenuBar* bar, const std::vector<MenuEntry>& entries) : QObject(bar), bar_(bar) {
    // The menu belongs to the window on every desktop, not to a global menu bar.
    bar_->setNativeMenuBar(false);
    add_entries(bar_, entries, true);
}

void QtMenu::add_entries(QWidget* parent, const std::vector<MenuEntry>& entries, bool top_level) {
    for (const MenuEntry& e : entries) {
        switch (e.kind) {
            case MenuEntry::Kind::kSeparator: {
                auto* sep = new QAction(parent);
                sep->setSeparator(true);
                parent->addAction(sep);
                break;
            }
            case MenuEntry::Kind::kPopup: {
                auto* menu = new QMenu(menu_text(e.text), parent);
                parent->addAction(menu->menuAction());
                if (top_level) {
                    top_menus_.push_back(menu);
                    connect(menu, &QMenu::aboutToShow, this, [this] { popup_shown(); });
                    connect(menu, &QMenu::aboutToHide, this, [this] { popup_hidden(); });
                }
                add_entries(menu, e.children, false);
                break;
            }
            case MenuEntry::Kind::kItem: {
                auto* act = new QAction(menu_text(e.text), parent);
                // A shortcut shown after the tab is only text: the accelerator table sends it.
                parent->addAction(act);
                actions_[e.id] = act;
                const u32 id   = e.id;
                connect(act, &QAction::triggered, this, [this, act, id] {
                    // The check marks are the configuration's: the toolkit's own flip of a
                    // checkable item is undone, and the command's refresh sets them.
                    if (act->isCheckable()) {
                        const QSignalBlocker block(act);
                        act->setChecked(!act->isChecked());
                    }
                    if (on_command) on_command(id);
                });
                break;
            }
        }
    }
}

QAction* QtMenu::action(u32 command_id) const {
    const auto it = actions_.find(command_id);
    return it == actions_.end() ? nullptr : it->second;
}

bool QtMenu::set_checked(u32 command_id, bool checked) {
    QAction* act = action(command_id);
    if (act == nullptr) return false;
    const QSignalBlocker block(act);
    act->setCheckable(true);
    act->setChecked(checked);
    return true;
}

bool QtMenu::set_text(u32 command_id, std::string_view text) {
    QAction* act = action(command_id);
    if (act == nullptr) return false;
    act->setText(menu_text(text));
    return true;
}

bool QtMenu::set_text_at(std::span<const u32> path, std::string_view text) {
    if (path.empty()) return false;
    QWidget* parent = bar_;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const QList<QAction*> entries = parent->actions();
        if (path[i] >= static_cast<u32>(entries.size())) return false;
        QAction* entry = entries[static_cast<qsizetype>(path[i])];
        if (i + 1 == path.size()) {
            entry->setText(menu_text(text));
            return true;
        }
        if (entry->menu() == nullptr) return false;
        parent = entry->menu();
    }
    return false;
}

bool QtMenu::remove(u32 command_id) {
    const auto it = actions_.find(command_id);
    if (it == actions_.end()) return false;
    QAction* act = it->second;
    actions_.erase(it);
    if (auto* owner = qobject_cast<QWidget*>(act->parent())) owner->removeAction(act);
    act->deleteLater();
    return true;
}

void QtMenu::popup_shown() {
    if (open_) return;
    open_ = true;
    if (on_opened) on_opened();
}

void QtMenu::popup_hidden() {
    // Moving from one menu title to the next hides one popup and shows the other; the menu
    // is closed only when no popup is left once the toolkit is done.
    QTimer::singleShot(0, this, [this] { check_closed(); });
}

void QtMenu::check_closed() {
    if (!open_) return;
    for (QMenu* m : top_menus_) {
        if (m->isVisible()) return;
    }
    open_ = false;
    if (on_closed) on_closed();
}

}  // namespace varn
