// Private folders, the program's message boxes and a script that answers them.

#pragma once

#include "ModalScript.h"
#include "config/AppSettings.h"
#include "gui/desktop/CommandLine.h"
#include "gui/desktop/GuiPrompt.h"
#include "gui/window/MainFrame.h"
#include "gui/window/QuillpostView.h"
#include "store/RssDatabase.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "text/RecordId.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A private configuration and data folder, the program's message boxes installed, and a script
// that answers them.
class GuiFixture : public testing::Test {
protected:
    GuiFixture() {
        TheAppSettings().Load(store_);
        InstallPrompt(&prompt_);
    }
    ~GuiFixture() override {
        frame_.reset();
        InstallPrompt(nullptr);
    }

    // Opens the main window and waits until its start-up sequence has run.
    CQuillpostView& Start(const StartOptions& options = {}) {
        frame_ = std::make_unique<CMainFrame>(options, [] { return true; });
        prompt_.SetParent(frame_.get());
        // A small window: these tests drive the one-screen-at-a-time screens.
        frame_->resize(760, 560);
        frame_->show();
        EXPECT_TRUE(QTest::qWaitFor([this] { return frame_->View()->StartupDone(); }, 15000));
        // Keys reach the window's shortcuts only once it is the active one.
        frame_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
        return *frame_->View();
    }

    // A database at the path with Feeds of these titles (addresses under baseUrl), made the
    // current one.
    QString MakeDatabase(const QString& name, const QStringList& titles,
                         const QString& baseUrl = QStringLiteral("http://127.0.0.1:9/")) {
        const QString path = env_.Path(name);
        CRssDatabase db;
        EXPECT_TRUE(db.CreateDatabase(path, false, false));
        EXPECT_EQ(db.OpenDatabase(path, false), 1);
        for (const QString& title : titles) {
            CFeedRecord feed;
            feed.FeedID = NewRecordID();
            feed.Title = title;
            feed.FeedUrl = baseUrl + title.toLower();
            EXPECT_TRUE(db.InsertFeed(feed, 0, 0));
        }
        store_.Write(Key::Database, path);
        store_.Write(Key::FirstTime, 0);
        return path;
    }

    TestEnvironment env_;
    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
    CGuiPrompt prompt_;
    ModalScript script_;
    std::unique_ptr<CMainFrame> frame_;
};
