// A plain button ("RedioMacroButton") that may show a picture before its
// text: "redioimage" names it (a file below the skin folder). The macro
// editor's record and stop buttons are these.
#pragma once

#include <QPushButton>

namespace ivra::controls {

class RedioMacroButtonUI : public QPushButton {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "RedioMacroButton";

    explicit RedioMacroButtonUI(QWidget* parent = nullptr);

protected:
    bool event(QEvent* e) override;

private:
    void ShowImage();
};

}  // namespace ivra::controls
