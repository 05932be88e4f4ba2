// Writes listed feeds to an OPML 1.1 file.

#include "exchange/OpmlExport.h"

#include "store/Prompt.h"
#include "store/RssDatabase.h"
#include "text/MarkupText.h"
#include "text/TextFile.h"

namespace {
// The feed description's first column, as the file has always carried it.
constexpr qsizetype DescriptionColumn = 255;
} // namespace

bool ExportOpml(CRssDatabase& db, const QList<qint32>& feedIDs, const QString& path) {
    QString text = QStringLiteral("<?xml version=\"1.0\"?>\n"
                                  "<opml version=\"1.1\">\n"
                                  "  <head>\n"
                                  "    <title>Quillpost - Subscription List</title>\n"
                                  "  </head>\n"
                                  "  <body>\n");
    for (qint32 feedID : feedIDs)
        if (const auto feed = db.GetFeed(feedID))
            text += QStringLiteral("    <outline title=\"") + EscapeXml(feed->Title) +
                    QStringLiteral("\" description=\"") +
                    EscapeXml(feed->Description.left(DescriptionColumn)) +
                    QStringLiteral("\" xmlUrl=\"") + EscapeXml(feed->FeedUrl) +
                    QStringLiteral("\"/>\n");
    text += QStringLiteral("  </body>\n</opml>\n");

    CTextFile file;
    bool saved = file.Open(path, CTextFile::Mode::Write);
    if (saved) {
        file.WriteString(text);
        saved = file.Close();
    }
    if (!saved) {
        CurrentPrompt().ShowMessage(QStringLiteral("Could not Save Subscription File"),
                                    QStringLiteral("Export Error"));
        return false;
    }
    CurrentPrompt().ShowMessage(QStringLiteral("Subscription has been saved to: ") + path,
                                QStringLiteral("Export"));
    return true;
}
