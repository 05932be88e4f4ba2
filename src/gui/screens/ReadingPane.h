// The pane an item is read in.

#pragma once

#include "app/ItemPage.h"
#include "net/ImageLoader.h"

#include <QHash>
#include <QImage>
#include <QTextBrowser>

// The pane an item is read in. It never navigates: a tapped link is reported and nothing else
// happens. It loads nothing from disk or the network by itself; inline images come only when
// HtmlView\ShowImages is on, from the image loader, and are kept for the page.
class CReadingPane : public QTextBrowser {
    Q_OBJECT
public:
    explicit CReadingPane(QWidget* parent = nullptr);

    // A composed page with its colours and zoom level (-1 … 3).
    void ShowPage(const QString& html, const PageColors& colors, int zoomLevel);
    // A fetched page as it came, with the pane's own colours.
    void ShowRaw(const QString& html);
    void ClearPage();
    // Smoothing off draws the page's text with crisp edges, as chosen for high-resolution
    // screens; it applies to this pane only, never to the desktop's own setting.
    void SetFontSmoothing(bool on);

    // The point size of a zoom level.
    static int PointSizeOfZoom(int zoomLevel);

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    void linkTapped(const QUrl& link);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetHtml(const QString& html);
    void OnImageFetched(const QUrl& url, const QByteArray& bytes);

    QString html_;
    CImageLoader imageLoader_;
    QHash<QUrl, QImage> shownImages_;
};
