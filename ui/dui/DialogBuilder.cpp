#include "dui/DialogBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>
#include <QWidget>

#include "dui/ControlFactory.h"

namespace ivra::dui {
namespace {

constexpr int kMaxIncludeDepth = 8;
const char* const kIncludeClass = "Include";

// Sits on a deferred include's holder and builds the include the first time
// the holder is shown.
class DeferredInclude final : public QObject {
public:
    using Build = std::function<QWidget*(QString* error)>;

    DeferredInclude(QWidget* holder, Build build, DialogBuilder::IncludeBuilt built)
        : QObject(holder), holder_(holder), build_(std::move(build)), built_(std::move(built)) {
        holder->installEventFilter(this);
    }

    // Builds the include once; later calls change nothing.
    bool BuildNow(QString* error) {
        if (done_) return true;
        done_ = true;
        holder_->removeEventFilter(this);
        QWidget* content = build_(error);
        if (content != nullptr && built_) built_(content);
        deleteLater();
        return content != nullptr;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == holder_ && event->type() == QEvent::Show) {
            QString error;
            if (!BuildNow(&error)) qWarning("skin include: %s", qPrintable(error));
        }
        return false;
    }

private:
    QWidget* holder_;
    Build build_;
    DialogBuilder::IncludeBuilt built_;
    bool done_ = false;
};

}  // namespace

namespace detail {

WithoutDesignerPlugins::WithoutDesignerPlugins() {
    if (QCoreApplication::instance() == nullptr) return;
    saved_ = QCoreApplication::libraryPaths();
    // Plugins already loaded stay loaded; later lookups scan nothing twice.
    QCoreApplication::setLibraryPaths({});
    cleared_ = true;
}

void WithoutDesignerPlugins::RestoreLibraryPaths() {
    if (cleared_) QCoreApplication::setLibraryPaths(saved_);
    cleared_ = false;
}

}  // namespace detail

DialogBuilder::DialogBuilder(QString skinFolder, IDialogBuilderCallback* callback)
    : skinFolder_(std::move(skinFolder)), callback_(callback) {
    RestoreLibraryPaths();
    setWorkingDirectory(QDir(skinFolder_));
}

QString DialogBuilder::ResolveSkinFile(const QString& file) const {
    QString relative = file;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (relative.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive)) {
        relative.chop(4);
        relative += QStringLiteral(".ui");
    }
    return QFileInfo(relative).isAbsolute() ? relative : QDir(skinFolder_).filePath(relative);
}

QWidget* DialogBuilder::Create(const QString& file, QWidget* parent, QString* error) {
    return CreateAtDepth(file, parent, 0, error);
}

QWidget* DialogBuilder::CreateAtDepth(const QString& file, QWidget* parent, int depth, QString* error) {
    const QString path = ResolveSkinFile(file);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read skin file %1").arg(path);
        return nullptr;
    }
    QWidget* root = load(&in, parent);
    if (root == nullptr) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, errorString());
        return nullptr;
    }
    if (!ExpandIncludes(root, depth, error)) {
        delete root;
        return nullptr;
    }
    return root;
}

QWidget* DialogBuilder::createWidget(const QString& className, QWidget* parent, const QString& name) {
    QWidget* control = nullptr;
    if (className == QLatin1String(kIncludeClass)) {
        control = new QWidget(parent);
        control->setProperty("_duiInclude", true);
    } else if (callback_ != nullptr) {
        control = callback_->CreateControl(className, parent);
    }
    if (control == nullptr) control = ControlFactory::Instance().CreateControl(className, parent);
    if (control == nullptr) return QUiLoader::createWidget(className, parent, name);
    control->setObjectName(name);
    return control;
}

void DialogBuilder::DeferIncludes(IncludeFilter defer, IncludeBuilt built) {
    defer_ = std::move(defer);
    built_ = std::move(built);
}

QWidget* DialogBuilder::BuildInclude(const QString& skinFolder, QWidget* holder, int depth, QString* error) {
    // A new builder without the callback and without deferral: an include's
    // own includes are built with it.
    DialogBuilder nested(skinFolder, nullptr);
    QWidget* content = nested.CreateAtDepth(holder->property("source").toString(), holder, depth, error);
    if (content == nullptr) return nullptr;
    auto* layout = holder->layout() ? holder->layout() : new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    // A holder already on screen shows what it was given at once.
    if (holder->isVisible()) content->show();
    return content;
}

bool DialogBuilder::ExpandIncludes(QWidget* root, int depth, QString* error) {
    const auto candidates = root->findChildren<QWidget*>();
    for (QWidget* holder : candidates) {
        if (!holder->property("_duiInclude").toBool()) continue;
        holder->setProperty("_duiInclude", QVariant());
        const QString source = holder->property("source").toString();
        if (depth >= kMaxIncludeDepth) {
            if (error) *error = QStringLiteral("includes nested too deeply at %1").arg(source);
            return false;
        }
        if (defer_ && defer_(source)) {
            // A missing file is reported now, not when the holder is shown.
            const QString path = ResolveSkinFile(source);
            if (!QFileInfo::exists(path)) {
                if (error) *error = QStringLiteral("cannot read skin file %1").arg(path);
                return false;
            }
            const QString folder = skinFolder_;
            new DeferredInclude(
                holder, [folder, holder, depth](QString* e) { return BuildInclude(folder, holder, depth + 1, e); },
                built_);
            continue;
        }
        if (BuildInclude(skinFolder_, holder, depth + 1, error) == nullptr) return false;
    }
    return true;
}

bool DialogBuilder::BuildDeferredIncludes(QWidget* root, QString* error) {
    if (root == nullptr) return true;
    bool ok = true;
    const auto pending = root->findChildren<QObject*>();
    for (QObject* object : pending) {
        if (auto* deferred = dynamic_cast<DeferredInclude*>(object)) ok = deferred->BuildNow(error) && ok;
    }
    return ok;
}

}  // namespace ivra::dui
