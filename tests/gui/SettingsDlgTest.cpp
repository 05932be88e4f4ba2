// The settings, database search and RSS Mapping dialogs, driven with keys and clicks.
#include "gui/dialogs/SettingsDlg.h"

#include "GuiFixture.h"
#include "ModalScript.h"
#include "PropertyTreeDriver.h"
#include "ScreensFixture.h"
#include "app/SettingsTree.h"
#include "config/TodayRegistration.h"
#include "gui/dialogs/MappingDlg.h"
#include "gui/dialogs/PropertyEditors.h"
#include "gui/dialogs/SearchDlg.h"
#include "gui/screens/ListScreen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>

namespace {

// Every key of the configuration file with its value, "Section/Key=value".
QStringList ConfigurationFile() {
    QSettings file(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       QStringLiteral("/Oxbowfield/Quillpost.conf"),
                   QSettings::IniFormat);
    QStringList entries;
    for (const QString& key : file.allKeys())
        entries << key + u'=' + file.value(key).toString();
    return entries;
}

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

void ClickDialogButton(QDialog* dialog, QDialogButtonBox::StandardButton which) {
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

void ShowActive(QWidget* dialog) {
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
}

// The settings dialog on the shipped defaults, shown and worked with the mouse and keys.
class SettingsDlgTest : public testing::Test {
protected:
    SettingsDlgTest() { TheAppSettings().Load(store_); }
    ~SettingsDlgTest() override {
        CHttpDownloader::BufferSize = bufferSize_;
        CHttpDownloader::SkipHeaders = skipHeaders_;
    }

    CSettingsDlg& Open() {
        dialog_ = std::make_unique<CSettingsDlg>(db_);
        driver_ = std::make_unique<PropertyTreeDriver>(*dialog_->Tree());
        ShowActive(dialog_.get());
        return *dialog_;
    }
    PropertyItem Item(const QString& category, const QString& label) const {
        PropertyItem parent = dialog_->Tree()->Find(category);
        for (int i = 0; i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == label)
                return parent->child(i);
        ADD_FAILURE() << label.toStdString();
        return nullptr;
    }
    void Ok() { ClickDialogButton(dialog_.get(), QDialogButtonBox::Ok); }

    TestEnvironment env_;
    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
    CRssDatabase db_;
    std::unique_ptr<CSettingsDlg> dialog_;
    std::unique_ptr<PropertyTreeDriver> driver_;
    const int bufferSize_ = CHttpDownloader::BufferSize;
    const bool skipHeaders_ = CHttpDownloader::SkipHeaders;
};

TEST_F(SettingsDlgTest, TheTreeHasItsCategoriesInOrder) {
    Open();
    EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Quillpost Settings"));
    QTreeWidget* tree = dialog_->Tree()->Tree();
    QStringList categories;
    int items = 0;
    int shown = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* category = tree->topLevelItem(i);
        if (!category->isHidden())
            categories << category->text(0);
        items += category->childCount();
        for (int j = 0; j < category->childCount(); ++j)
            shown += !category->isHidden() && !category->child(j)->isHidden();
    }
    EXPECT_EQ(categories, QStringList({"General", "Auto Reload", "Html/Description View",
                                       "Audio/Podcasting", "Warnings", "Special", "Desktop"}));
    // Every setting is there, the handheld ones out of sight.
    EXPECT_EQ(items, 10 + 9 + 6 + 4 + 9 + 6 + 4 + 3);
    EXPECT_EQ(shown, 9 + 9 + 6 + 4 + 4 + 3 + 3);
    EXPECT_EQ(dialog_->Tree()->Description(), QStringLiteral("General Quillpost settings."));
}

TEST_F(SettingsDlgTest, OkWithoutChangeOnlyRaisesTodayHasChanged) {
    Open();
    Ok();
    // The first save stores what the screen showed for the unset keys.
    EXPECT_EQ(store_.ReadInt("Special", "DownloadBuffer", -1), 4);
    EXPECT_EQ(store_.Read(Key::TodayHasChanged), 1);
    store_.Write(Key::TodayHasChanged, 0);
    const QStringList before = ConfigurationFile();

    Open();
    Ok();
    QStringList expected = before;
    expected.replace(expected.indexOf(QStringLiteral("Today/TodayHasChanged=0")),
                     QStringLiteral("Today/TodayHasChanged=1"));
    EXPECT_EQ(ConfigurationFile(), expected);
    // No host registration was written.
    EXPECT_FALSE(ConfigurationFile().join(u'\n').contains(QStringLiteral("HKEY")));
}

TEST_F(SettingsDlgTest, AMissingDownloadBufferShowsFourKilobytesUntilSaved) {
    EXPECT_EQ(TheAppSettings().downloadBufferBytes, 1024);
    Open();
    EXPECT_EQ(Item("Special", "Download Buffer")->text(1), QStringLiteral("4 KB"));
    EXPECT_EQ(Item("Audio/Podcasting", "Max Cache Size")->text(1), QStringLiteral("20 MB"));
    EXPECT_EQ(Item("Audio/Podcasting", "schedule at*")->text(1), QStringLiteral("(off) 00:00"));
    Ok();
    EXPECT_EQ(TheAppSettings().downloadBufferBytes, 4096);
    EXPECT_EQ(CHttpDownloader::BufferSize, 4096);
}

TEST_F(SettingsDlgTest, ColoursAndTimesShowTheirStoredValueAndStoreWhatIsTyped) {
    const struct {
        const char* category;
        const char* label;
        const IntKey& key;
        int stored;
        const char* shown;
        const char* typed;
        int expected;
    } cases[] = {
        {"Html/Description View", "Background", Key::BgColor, 0x0000FF, "#FF0000", "#123456",
         0x563412},
        {"Html/Description View", "Link", Key::LkColor, 0xFF0000, "#0000FF", "#00FF80", 0x80FF00},
        // A time is stepped an hour on with the Up key; picking a time switches it on.
        {"Auto Reload", "schedule at*", Key::ReloadTime1, 450, "(on)  07:30", "", 510},
        {"Audio/Podcasting", "schedule at*", Key::AudioAutoTime, -450, "(off) 07:30", "", 510},
    };
    for (const auto& c : cases)
        store_.Write(c.key, c.stored);
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PropertyItem item = Item(c.category, c.label);
        EXPECT_EQ(item->text(1), QString::fromLatin1(c.shown));
        driver_->ClickCell(item, 1);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        if (auto* time = qobject_cast<QTimeEdit*>(editor)) {
            QTest::keyClick(time, Qt::Key_Home);
            QTest::keyClick(time, Qt::Key_Right);
            QTest::keyClick(time, Qt::Key_Up);
        } else {
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(editor, QString::fromLatin1(c.typed));
        }
        QTest::keyClick(editor, Qt::Key_Return);
    }
    Ok();
    for (const auto& c : cases)
        EXPECT_EQ(store_.Read(c.key), c.expected) << c.label;
}

TEST_F(SettingsDlgTest, ATimeSwitchedOffKeepsItsMinuteAsANegativeValue) {
    store_.Write(Key::ReloadTime2, 1265);
    Open();
    QTreeWidget* tree = dialog_->Tree()->Tree();
    PropertyItem time = tree->topLevelItem(1)->child(4);
    driver_->ClickCell(time, 1);
    auto* on = tree->findChild<QCheckBox*>();
    ASSERT_NE(on, nullptr);
    ASSERT_TRUE(on->isChecked());
    Click(on);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(time->text(1), QStringLiteral("(off) 21:05"));
    Ok();
    EXPECT_EQ(store_.Read(Key::ReloadTime2), -1265);
}

TEST_F(SettingsDlgTest, ChangedSettingsLandInTheirKeysAndTheRunningProgram) {
    Open();
    PropertyItem cache = Item("Audio/Podcasting", "Max Cache Size");
    driver_->ClickCell(cache, 0);
    QTest::keyClick(dialog_->Tree()->Tree(), Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    driver_->ClickTick(Item("General", "Remove old data"));
    driver_->ClickTick(Item("Special", "Lock Database"));
    driver_->Type(Item("General", "Browser"), QStringLiteral("/usr/bin/firefox"));
    Ok();
    EXPECT_EQ(store_.Read(Key::AudioMaxTotalSize), 25);
    EXPECT_EQ(store_.Read(Key::AutoPurgeFD), 1);
    EXPECT_EQ(store_.Read(Key::LockDatabase), 0);
    EXPECT_EQ(store_.Read(Key::Browser), QStringLiteral("/usr/bin/firefox"));
    EXPECT_TRUE(TheAppSettings().autoPurgeFD);
    EXPECT_FALSE(db_.UseLock);
}

TEST_F(SettingsDlgTest, TheTodayKeysFollowTheRegistrationsAndTheirChangesRegister) {
    // A PocketBreeze registration ticks both, whatever the keys said.
    CRegistrySettings pocketBreeze;
    pocketBreeze.SetRootPath(QStringLiteral("Software\\SBSH\\PocketBreeze\\TabSettings"),
                             RegistryHive::CurrentUser);
    pocketBreeze.WriteInt(QStringLiteral("Quillpost"), QStringLiteral("Enabled"), 1);
    Open();
    EXPECT_TRUE(dialog_->Tree()->Checked(Item("Today Screen", "Enable")));
    EXPECT_TRUE(dialog_->Tree()->Checked(Item("Today Screen", "Use PocketBreeze")));
    // Leaving PocketBreeze for the Today screen, with selection navigation. The group is out of
    // sight on a desktop, so its values are set as a profile that holds them would.
    dialog_->Tree()->SetValue(Item("Today Screen", "Use PocketBreeze"), false);
    dialog_->Tree()->SetValue(Item("Today Screen", "SE Selection"), true);
    Ok();
    EXPECT_FALSE(IsPocketBreezeRegistered());
    EXPECT_TRUE(IsTodayHostRegistered());
    const QString todayHost = QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Microsoft/Today/Items/"
                                             "Quillpost/");
    const QStringList file = ConfigurationFile();
    EXPECT_TRUE(file.contains(todayHost + QStringLiteral("Dll=\\Windows\\QuillpostToday.dll")));
    EXPECT_TRUE(file.contains(todayHost + QStringLiteral("Selectability=2")));
    EXPECT_EQ(store_.Read(Key::TodayUsePB), 0);
}

// Settings that do nothing on a desktop are out of sight, but their keys are read and written as
// before, whatever they hold; the others speak of a desktop, and each shows what is stored.
TEST_F(SettingsDlgTest, HandheldSettingsAreHiddenAndKeepTheirKeys) {
    const struct {
        const IntKey& key;
        int stored; // 0x7fff: unset
        int saved;
    } hidden[] = {{Key::IsVGA, 1, 1},
                  {Key::TodayVSize, 90, 90},
                  {Key::TodayDelay, 0x7fff, 4},
                  {Key::WarnShowDPadMSG, 0, 0},
                  {Key::DownloadBuffer, 16, 16},
                  {Key::WarnAutoReload, 0x7fff, 1}};
    for (const auto& h : hidden)
        if (h.stored != 0x7fff)
            store_.Write(h.key, h.stored);
    Open();
    for (const auto& [category, label] : {std::pair{"General", "VGA device"},
                                          {"Warnings", "D-pad Message"},
                                          {"Warnings", "Download Notification"},
                                          {"Special", "Download Buffer"}})
        EXPECT_TRUE(Item(category, label)->isHidden()) << label;
    EXPECT_TRUE(dialog_->Tree()->Find(QStringLiteral("Today Screen"))->isHidden());
    // A fresh profile does not reload on a new connection, and the screen says so.
    PropertyItem onConnecting = Item("Auto Reload", "on Connecting*");
    EXPECT_FALSE(onConnecting->isHidden());
    EXPECT_FALSE(dialog_->Tree()->Checked(onConnecting));
    Ok();
    for (const auto& h : hidden)
        EXPECT_EQ(store_.ReadInt(h.key.section, h.key.key, -1), h.saved) << h.key.key;
    EXPECT_EQ(store_.ReadInt("AutoReload", "OnAS", -1), 0);

    // No shown text speaks of a handheld.
    for (const SettingCategory& category : SettingsTree())
        for (const SettingItem& item : category.items)
            if (category.shown && item.shown) {
                for (const char* word : {"Pocket", "ActiveSync", "Today Screen", "VGA", "D-pad"}) {
                    EXPECT_FALSE(QString::fromUtf8(item.label).contains(QLatin1String(word)) ||
                                 QString::fromUtf8(item.description).contains(QLatin1String(word)))
                        << item.label;
                }
            }
}

// The main window takes the saved display settings at once.
class SettingsFromTheMenuTest : public GuiFixture {};

TEST_F(SettingsFromTheMenuTest, TheListsTakeTheNewFontAndBarsAfterOk) {
    MakeDatabase(QStringLiteral("settings.qpdb"), {QStringLiteral("One")});
    CQuillpostView& view = Start();
    const qreal listFont = view.FeedListScreen()->List()->font().pointSizeF();
    script_.Handle([](QWidget* modal) {
        auto* dialog = qobject_cast<CSettingsDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        PropertyTreeDriver driver(*dialog->Tree());
        PropertyItem general = dialog->Tree()->Find(QStringLiteral("General"));
        driver.ClickTick(general->child(8)); // "Show Item Buttons"
        driver.ClickTick(general->child(7)); // "Show Feed Buttons"
        ClickDialogButton(dialog, QDialogButtonBox::Ok);
    });
    // Set by hand while the program runs: the running program takes it when the settings are
    // saved.
    store_.Write(Key::FontSize, 12);
    QTest::keyClick(frame_.get(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(script_.unexpected, 0);
    EXPECT_EQ(store_.Read(Key::FontSize), 12);
    EXPECT_EQ(view.FeedListScreen()->List()->font().pointSizeF(), listFont + 4);
    EXPECT_EQ(view.ItemListScreen()->List()->font().pointSizeF(), listFont + 4);
    EXPECT_FALSE(view.FeedListScreen()->ButtonBar()->isVisible());
}

class SearchDlgTest : public ScreensTest {};

TEST_F(SearchDlgTest, GoListsMatchesAndOkMakesSearchResultsAKeywordViewShownInTheList) {
    const qint32 harbour = AddFeed(
        QStringLiteral("Harbour"),
        {{QStringLiteral("Tram line approved"), {}, QStringLiteral("Council vote"), {}},
         {QStringLiteral("Ferry timetable"), {}, QStringLiteral("More trams at the quay"), {}},
         {QStringLiteral("Fish market moves"), {}, QStringLiteral("East quay"), {}}});
    StartView();
    view_->OnCommand(CQuillpostView::ShowItemList);
    ModalScript script;
    QStringList statuses;
    QStringList listed;
    script.Handle([&](QWidget* modal) {
        auto* dialog = qobject_cast<CSearchDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Database Search"));
        for (QCheckBox* box : {dialog->TitleBox(), dialog->KeywordsBox(), dialog->DescriptionBox()})
            EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
        QTest::mouseClick(dialog->GoButton(), Qt::LeftButton);
        // The search runs off the window's thread; typing on cancels it, and what it would
        // have found never shows.
        QTest::keyClicks(dialog->TermEdit(), QStringLiteral("fish"));
        QTest::mouseClick(dialog->GoButton(), Qt::LeftButton);
        QTest::keyClicks(dialog->TermEdit(), QStringLiteral(" "));
        EXPECT_FALSE(dialog->IsSearching());
        QTest::qWait(300);
        EXPECT_EQ(dialog->ResultList()->count(), 0);
        dialog->TermEdit()->clear();
        QTest::keyClicks(dialog->TermEdit(), QStringLiteral("quarry"));
        QTest::keyClick(dialog->TermEdit(), Qt::Key_Return);
        QTRY_VERIFY(!dialog->IsSearching());
        statuses << dialog->StatusText();
        dialog->TermEdit()->clear();
        QTest::keyClicks(dialog->TermEdit(), QStringLiteral("tram"));
        QTest::mouseClick(dialog->GoButton(), Qt::LeftButton);
        QTRY_VERIFY(!dialog->IsSearching());
        statuses << dialog->StatusText();
        EXPECT_EQ(dialog->CountText(), QStringLiteral("2 items match; the newest 2 are listed."));
        for (int row = 0; row < dialog->ResultList()->count(); ++row)
            listed << dialog->ResultList()->item(row)->text();
        // The description is no longer searched when the View is built.
        Click(dialog->DescriptionBox());
        ClickDialogButton(dialog, QDialogButtonBox::Ok);
    });
    prompt_.messages.clear();
    Items()->OnCommand(CItemListScreen::Search);

    EXPECT_EQ(prompt_.messages, QStringList{"Notice: Please enter a search term"});
    EXPECT_EQ(statuses, QStringList({"Status: No Matching Items found.  Try again.",
                                     "Press \"Ok\", to view your search results."}));
    EXPECT_EQ(listed, QStringList({"Tram line approved", "Ferry timetable"}));
    const auto results = db_.GetView(SearchResultsViewID);
    ASSERT_TRUE(results);
    EXPECT_TRUE(results->IsKeywordView);
    EXPECT_EQ(results->Keywords, QStringLiteral("tram"));
    db_.LoadViewItems(SearchResultsViewID, false);
    ASSERT_EQ(db_.ItemList.size(), 1u);
    EXPECT_EQ(db_.ItemList[0].Title, QStringLiteral("Tram line approved"));
    EXPECT_EQ(db_.ItemList[0].FeedID, harbour);
    EXPECT_EQ(Items()->CurrentViewID(), SearchResultsViewID);
    ASSERT_EQ(Items()->Model().rowCount(), 1);
    EXPECT_EQ(store_.Read(Key::ItemViewCurrentViewID), SearchResultsViewID);
}

class MappingDlgTest : public testing::Test {
protected:
    // Replaces the text of a row's override as a user does: click, type, Return.
    static void TypeOverride(CMappingDlg& dialog, int row, const QString& text) {
        QTableWidget* table = dialog.Table();
        const QRect cell = table->visualItemRect(table->item(row, CMappingDlg::OverrideColumn));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        if (!qobject_cast<QLineEdit*>(QApplication::focusWidget()))
            QTest::keyClick(table, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    static void ChooseFormat(CMappingDlg& dialog, Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(dialog.FormatChooser(), key);
    }
    static QStringList Column(const CMappingDlg& dialog, int column) {
        QStringList texts;
        for (int row = 0; row < dialog.Table()->rowCount(); ++row)
            texts << dialog.Table()->item(row, column)->text();
        return texts;
    }

    TestEnvironment env_;
    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
};

TEST_F(MappingDlgTest, EditsAreKeptAcrossFormatsAndAllFormatsAreWrittenOnOk) {
    store_.WriteString(QStringLiteral("RSSMap\\Map6"), QStringLiteral("Title"),
                       QStringLiteral("dc:title"));
    const QStringList before = ConfigurationFile();
    CMappingDlg dialog;
    ShowActive(&dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("RSS Mapping"));
    QStringList formats;
    for (int i = 0; i < dialog.FormatChooser()->count(); ++i)
        formats << dialog.FormatChooser()->itemText(i);
    EXPECT_EQ(formats, QStringList({"RSS 0.90", "RSS 0.91", "RSS 0.92", "RSS 0.93", "RSS 1.0",
                                    "RSS 2.0", "Atom 0.3", "Atom 1.0"}));
    EXPECT_EQ(Column(dialog, CMappingDlg::ItemColumn),
              QStringList({"Title", "Link", "Date", "Content"}));
    EXPECT_EQ(Column(dialog, CMappingDlg::DefaultColumn),
              QStringList({"<title>", "<link>", "<pubDate>", "<description>"}));

    TypeOverride(dialog, CMappingDlg::DateRow, QStringLiteral("dc:date"));
    dialog.FormatChooser()->setFocus();
    ChooseFormat(dialog, Qt::Key_Down, 6);
    ASSERT_EQ(dialog.FormatChooser()->currentText(), QStringLiteral("Atom 0.3"));
    EXPECT_EQ(Column(dialog, CMappingDlg::DefaultColumn),
              QStringList({"<title>", "<link>", "<issued>", "<content>"}));
    EXPECT_EQ(Column(dialog, CMappingDlg::OverrideColumn), QStringList({"dc:title", "", "", ""}));
    TypeOverride(dialog, CMappingDlg::ContentRow, QStringLiteral("body"));
    Click(dialog.XmlChildrenBox());
    dialog.FormatChooser()->setFocus();
    ChooseFormat(dialog, Qt::Key_Down);
    EXPECT_EQ(Column(dialog, CMappingDlg::DefaultColumn),
              QStringList({"<title>", "<link>", "<published>", "<content>"}));
    EXPECT_FALSE(dialog.XmlChildrenBox()->isChecked());
    ChooseFormat(dialog, Qt::Key_Home);
    EXPECT_EQ(Column(dialog, CMappingDlg::OverrideColumn), QStringList({"", "", "dc:date", ""}));
    ChooseFormat(dialog, Qt::Key_Down, 6);
    EXPECT_EQ(Column(dialog, CMappingDlg::OverrideColumn),
              QStringList({"dc:title", "", "", "body"}));
    EXPECT_TRUE(dialog.XmlChildrenBox()->isChecked());
    EXPECT_EQ(ConfigurationFile(), before);

    ClickDialogButton(&dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(ReadFieldMapping(0).date, QStringLiteral("dc:date"));
    const FieldMapping atom = ReadFieldMapping(6);
    EXPECT_EQ(atom.title, QStringLiteral("dc:title"));
    EXPECT_EQ(atom.content, QStringLiteral("body"));
    EXPECT_TRUE(atom.xmlChildren);
    for (int format = 0; format < 8; ++format)
        EXPECT_EQ(store_.ReadInt(FieldMapKey::Section(format), FieldMapKey::XmlChildren, -1),
                  format == 6 ? 1 : 0)
            << format;
}

TEST_F(MappingDlgTest, CancelWritesNothing) {
    CMappingDlg dialog;
    ShowActive(&dialog);
    TypeOverride(dialog, CMappingDlg::TitleRow, QStringLiteral("headline"));
    Click(dialog.XmlChildrenBox());
    ClickDialogButton(&dialog, QDialogButtonBox::Cancel);
    EXPECT_EQ(ConfigurationFile(), QStringList());
}

} // namespace
