// Holds a device page in the "device_switch" tab layout. Until the page is
// first shown the frame has no layout, so the tab layout's size hints never
// reach into the page: a page the user has not opened is neither polished
// (style sheet rules matched for every control) nor laid out.
#pragma once

#include <QWidget>

namespace ivra::shell {

class PageFrame final : public QWidget {
    Q_OBJECT
public:
    // Takes `page` as its only child.
    explicit PageFrame(QWidget* page, QWidget* parent = nullptr);

    QWidget* Page() const { return page_; }
    // True once the page has been laid out in the frame.
    bool Adopted() const { return adopted_; }

    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;

private:
    void Adopt();

    QWidget* page_;
    bool adopted_ = false;
};

}  // namespace ivra::shell
