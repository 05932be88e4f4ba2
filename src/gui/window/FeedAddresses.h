// The window's ways into the feed wizard.

#pragma once

#include "app/FeedWizard.h"
#include "net/InternetConnection.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class CDatabaseOptions;
class CRssDatabase;
class QMimeData;
class QWidget;

// The window's ways into the feed wizard: its menu entry and button, and a feed address or
// OPML file handed over by the desktop, a later start, a drop or a paste.
class CFeedAddresses : public QObject {
    Q_OBJECT
public:
    // Drops and pastes are taken over `view`; `ready` says whether the start-up sequence is
    // done, before which an address waits. Without an open database the user may open one
    // through `databaseOptions` first.
    CFeedAddresses(CRssDatabase& db, ConnectivityProbe probe, std::function<bool()> ready,
                   CDatabaseOptions& databaseOptions, QWidget* view);

    // The feed wizard, at its first page or at the request's address page.
    void OpenFeedWizard(const std::optional<WizardRequest>& request = std::nullopt);
    // A feed address or OPML file opens the wizard with it filled in; false when the text is
    // neither.
    bool OpenFeedAddress(const QString& text);
    // The same for what the program was started with, saying so when it is neither.
    void OpenHandedOverAddress(const QString& text);

    // Whether a drag carries an address the wizard takes.
    static bool Carries(const QMimeData* data);
    // Takes the address of a drop, once the drop has ended.
    void TakeDrop(const QMimeData* data);

signals:
    // The wizard made a subscription whose View is now the current one.
    void currentViewChanged();
    // The wizard changed the Feeds: the lists are to be read again.
    void listsChanged();
    // The wizard subscribed on the database's server account: a sync brings the feed in.
    void accountSyncRequested();

private:
    CRssDatabase& db_;
    ConnectivityProbe probe_;
    std::function<bool()> ready_;
    CDatabaseOptions& databaseOptions_;
    QWidget* view_;
};
