#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <memory>

#include "QtPrinters.h"
#include "shell/PageFrame.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"

namespace ivra::dui {
namespace {

QWidget* Find(QWidget* root, const char* name) {
    return PaintManager::FindSubControlByName(root, name);
}

bool DeferLater(const QString& source) {
    return source.contains(QLatin1String("later"));
}

TEST(DialogBuilderTest, ADeferredIncludeIsBuiltWhenItsHolderIsFirstShown) {
    DialogBuilder builder(IVRA_UI_TEST_DATA_DIR);
    QList<QWidget*> built;
    builder.DeferIncludes(DeferLater, [&built](QWidget* content) { built.append(content); });
    QString error;
    std::unique_ptr<QWidget> root(builder.Create(QStringLiteral("XML\\Parts\\two.xml"), nullptr, &error));
    ASSERT_NE(root, nullptr) << error.toStdString();
    // The include the filter refuses is built at once, the other one waits.
    EXPECT_NE(Find(root.get(), "included_label"), nullptr);
    EXPECT_EQ(Find(root.get(), "later_label"), nullptr);
    EXPECT_TRUE(built.isEmpty());

    root->show();
    QWidget* label = Find(root.get(), "later_label");
    ASSERT_NE(label, nullptr);
    ASSERT_EQ(built.size(), 1);
    EXPECT_EQ(built[0], Find(root.get(), "later_root"));
    EXPECT_TRUE(label->isVisible());
    root->hide();
    root->show();  // built once only
    EXPECT_EQ(built.size(), 1);
    EXPECT_EQ(root->findChildren<QWidget*>(QStringLiteral("later_label")).size(), 1);
}

TEST(DialogBuilderTest, DeferredIncludesCanBeBuiltOnRequest) {
    DialogBuilder builder(IVRA_UI_TEST_DATA_DIR);
    int built = 0;
    builder.DeferIncludes(DeferLater, [&built](QWidget*) { ++built; });
    std::unique_ptr<QWidget> root(builder.Create(QStringLiteral("XML\\Parts\\two.xml"), nullptr));
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(DialogBuilder::BuildDeferredIncludes(root.get()));
    EXPECT_NE(Find(root.get(), "later_label"), nullptr);
    EXPECT_FALSE(Find(root.get(), "later_label")->isVisible());
    EXPECT_TRUE(DialogBuilder::BuildDeferredIncludes(root.get()));
    root->show();
    EXPECT_EQ(built, 1);
}

TEST(DialogBuilderTest, IncludesThatCannotBeBuiltAreRefusedAtOnce) {
    struct Case {
        const char* file;
        const char* reason;
    };
    const Case cases[] = {
        // A file that includes itself ends at the depth bound instead of
        // recursing until the stack overflows.
        {"XML\\Parts\\loop.xml", "nested too deeply"},
        // A deferred include whose file is missing is reported when the
        // page is built, not when it is first shown.
        {"XML\\Parts\\absent_later.xml", "absent.ui"},
    };
    for (const Case& c : cases) {
        DialogBuilder builder(IVRA_UI_TEST_DATA_DIR);
        builder.DeferIncludes([](const QString& source) { return source.contains(QLatin1String("absent")); }, nullptr);
        QString error;
        EXPECT_EQ(builder.Create(QString::fromLatin1(c.file), nullptr, &error), nullptr) << c.file;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.file << ": " << error.toStdString();
    }
}

TEST(PageFrameTest, APageIsLaidOutOnlyOnceShown) {
    QWidget window;
    auto* page = new QLabel(QStringLiteral("page"));
    auto* frame = new shell::PageFrame(page, &window);
    window.resize(300, 200);
    frame->setGeometry(0, 0, 300, 200);
    EXPECT_FALSE(frame->Adopted());
    EXPECT_EQ(frame->layout(), nullptr);
    EXPECT_FALSE(frame->sizeHint().isValid());  // the page's hints stay out of the tab layout's
    window.show();
    EXPECT_TRUE(frame->Adopted());
    EXPECT_EQ(page->parentWidget(), frame);
    EXPECT_EQ(page->geometry(), frame->rect());
}

}  // namespace
}  // namespace ivra::dui
