#include "shell/dui/DialogBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>
#include <QWidget>

#include "shell/dui/ControlFactory.h"

namespace ivra::dui {
namespace {

constexpr int kMaxIncludeDepth = 8;
const char* const kIncludeClass = "Include";

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
    if (!ExpandIncludes(root, 0, error)) {
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
        DialogBuilder nested(skinFolder_, nullptr);
        QWidget* content = nested.Create(source, holder, error);
        if (content == nullptr || !nested.ExpandIncludes(content, depth + 1, error)) return false;
        auto* layout = holder->layout() ? holder->layout() : new QVBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
    }
    return true;
}

}  // namespace ivra::dui
