// A list row ("ComboEditContainerElement") that fills itself from the skin
// file "XML\CustomControlXML\ComboEditElementItem.xml" when it is first
// shown: two texts ("text1", "text2") and a delay edit ("delay_edit"). Each
// row finds them in itself, so that rows of one list do not share one set.
//
// It behaves as a list row: a press selects it alone (with Ctrl held it is
// toggled in the multiple selection among its sibling rows), a release
// sends "itemclick", a double click or Return activates it ("itemactivate";
// Return also sends "return"), a right click sends "menu" with the pointer's
// screen position while its context menu is enabled, and the pointer makes
// it hot while it is over it. A disabled row does none of it.
#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;

namespace ivra::controls {

class ComboEditContainerElementUI : public QFrame {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "ComboEditContainerElement";
    static constexpr const char* kContentFile = "XML\\CustomControlXML\\ComboEditElementItem.xml";

    explicit ComboEditContainerElementUI(QWidget* parent = nullptr);

    // Replaces the row's children with the content file built from
    // `skinFolder`; false, and no children, when it cannot be built.
    bool BuildContent(const QString& skinFolder);
    QLabel* FirstText() const { return firstText_; }
    QLabel* SecondText() const { return secondText_; }
    QLineEdit* DelayEdit() const { return delayEdit_; }

    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected);
    bool IsHot() const { return hot_; }
    void SetContextMenuEnabled(bool enabled) { contextMenu_ = enabled; }

protected:
    void showEvent(QShowEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void Activate();
    void SetHot(bool hot);

    QLabel* firstText_ = nullptr;
    QLabel* secondText_ = nullptr;
    QLineEdit* delayEdit_ = nullptr;
    bool built_ = false;
    bool selected_ = false;
    bool hot_ = false;
    bool contextMenu_ = true;
};

}  // namespace ivra::controls
