// Builds a control tree from a skin file (a Qt Designer .ui file).
//
// Tags the toolkit does not know go first to the builder's callback (the
// window's CreateControl), then to the control factory. A widget of class
// "Include" with a "source" property is replaced by the tree of that file,
// built by a new builder without the callback.
#pragma once

#include <QString>
#include <QStringList>
#include <QUiLoader>

namespace ivra::dui {

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // A control for `className`, or null when the window does not make it.
    virtual QWidget* CreateControl(const QString& className, QWidget* parent) = 0;
};

namespace detail {

// QUiLoader loads every Qt Designer plugin below the library paths when it
// is constructed (Debian's QQuickWidget plugin brings Qml and Quick with it:
// about 20 ms and 5 MiB at start). The skins use none, so a builder is
// constructed with the library paths cleared, and they are put back at once.
class WithoutDesignerPlugins {
protected:
    WithoutDesignerPlugins();
    void RestoreLibraryPaths();

private:
    QStringList saved_;
    bool cleared_ = false;
};

}  // namespace detail

class DialogBuilder : private detail::WithoutDesignerPlugins, public QUiLoader {
public:
    // `skinFolder` is where relative skin file names are looked up.
    explicit DialogBuilder(QString skinFolder, IDialogBuilderCallback* callback = nullptr);

    // The tree of `file`; null with the reason in *error when the file is
    // missing or not a skin.
    QWidget* Create(const QString& file, QWidget* parent, QString* error = nullptr);

    // A skin file name as the system names it ("XML\\Dir\\Name.xml") to a
    // path below the skin folder ("XML/Dir/Name.ui").
    QString ResolveSkinFile(const QString& file) const;

protected:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;

private:
    bool ExpandIncludes(QWidget* root, int depth, QString* error);

    QString skinFolder_;
    IDialogBuilderCallback* callback_;
};

}  // namespace ivra::dui
