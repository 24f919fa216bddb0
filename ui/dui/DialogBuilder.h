// Builds a control tree from a skin file (a Qt Designer .ui file).
//
// Tags the toolkit does not know go first to the builder's callback (the
// window's CreateControl), then to the control factory. A widget of class
// "Include" with a "source" property is replaced by the tree of that file,
// built by a new builder without the callback. An include may be deferred:
// then its holder builds it the first time it is shown (pages and tabs the
// user may never open cost nothing at start).
#pragma once

#include <QString>
#include <functional>
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

    // Includes whose source `defer` accepts are built when their holder is
    // first shown (or by BuildDeferredIncludes); `built` then gets each tree
    // so the window can index, decorate and translate it.
    using IncludeFilter = std::function<bool(const QString& source)>;
    using IncludeBuilt = std::function<void(QWidget* content)>;
    void DeferIncludes(IncludeFilter defer, IncludeBuilt built);
    // Builds now every deferred include below `root` (for code that needs
    // those controls before the user has seen them). False when one of them
    // could not be built.
    static bool BuildDeferredIncludes(QWidget* root, QString* error = nullptr);

protected:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;

private:
    QWidget* CreateAtDepth(const QString& file, QWidget* parent, int depth, QString* error);
    bool ExpandIncludes(QWidget* root, int depth, QString* error);
    static QWidget* BuildInclude(const QString& skinFolder, QWidget* holder, int depth, QString* error);

    QString skinFolder_;
    IDialogBuilderCallback* callback_;
    IncludeFilter defer_;
    IncludeBuilt built_;
};

}  // namespace ivra::dui
