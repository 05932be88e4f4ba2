// The inline images of the page being read, fetched for the reading pane off its thread.

#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <memory>

// Fetches the images a page shows, each address once per page, off the caller's thread and
// within a size cap, through the configured proxy. Only web addresses are fetched, and only
// while HtmlView\ShowImages is on. What arrives for an earlier page is dropped; a fetch that
// fails is not tried again on the same page, so that a page laid out anew does not ask again.
class CImageLoader : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 SizeCap = 4 * 1024 * 1024;

    explicit CImageLoader(QObject* parent = nullptr);
    ~CImageLoader() override;

    // Whether the image at this address may be fetched at all.
    static bool MayFetch(const QUrl& url);
    // Starts fetching the image unless it was asked for on this page already.
    void Fetch(const QUrl& url);
    // A new page is shown: what comes for the earlier one is dropped.
    void NewPage();

signals:
    // The image's bytes as the server sent them, on this object's thread.
    void fetched(const QUrl& url, const QByteArray& bytes);

private:
    struct Guard;
    void Deliver(int page, const QUrl& url, const QByteArray& bytes);

    // Counts the pages, so that bytes fetched for an earlier one are known for what they are.
    int page_ = 0;
    QSet<QUrl> requested_;
    // Lets a fetch that ends after the loader is gone drop its bytes instead of delivering.
    std::shared_ptr<Guard> guard_;
};
