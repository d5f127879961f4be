#pragma once

#include <QPushButton>

class QMenu;

namespace vantrelle::app {

// A button whose only action is its menu: a left-button press opens the menu
// directly below the button, its top-left corner at the button's bottom-left
// corner moved one pixel to the left. The button is drawn pressed while the menu
// is open and carries a drop-down mark; it takes no keyboard focus, and when
// disabled it is drawn greyed and does nothing. The caption's mnemonic opens
// the menu from the keyboard.
class DropDownButton : public QPushButton {
    Q_OBJECT

public:
    DropDownButton(const QString& caption, QMenu* menu, QWidget* parent);

    QMenu* dropDownMenu() const { return m_menu; }

    // Where the menu's top-left corner goes, in global coordinates.
    QPoint menuPosition() const;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows the menu below the button, drawn pressed, until the menu closes.
    void openMenu();

    QMenu* m_menu;
};

} // namespace vantrelle::app
