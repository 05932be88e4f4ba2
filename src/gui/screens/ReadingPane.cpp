// The pane an item is read in, with its zoom and its inline images.

#include "gui/screens/ReadingPane.h"

#include "config/RegistrySettings.h"
#include "net/HttpDownloader.h"
#include "text/MarkupText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QThreadPool>

namespace {

QString Proxy() {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    return store.Read(Key::ProxyAddress) + u':' + store.Read(Key::ProxyPort);
}

bool UsesProxy() {
    return CRegistrySettings::ForQuillpost().Read(Key::UseProxy) != 0;
}

QImage DownloadImage(const QUrl& url, bool useProxy, const QString& proxy) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image"));
    if (!dir.isValid() ||
        !CHttpDownloader::Download(url.toString(QUrl::FullyEncoded), path, useProxy, proxy, false,
                                   {CReadingPane::ImageSizeCap}))
        return {};
    return QImage(path);
}

} // namespace

CReadingPane::CReadingPane(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("VC_DETAILS"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    document()->setDocumentMargin(12);
    connect(this, &QTextBrowser::anchorClicked, this, &CReadingPane::linkTapped);
}

int CReadingPane::PointSizeOfZoom(int zoomLevel) {
    // "smaller", the shipped setting, is the desktop's usual reading size.
    return 10 + 2 * zoomLevel;
}

void CReadingPane::SetHtml(const QString& html) {
    ++page_;
    images_.clear();
    fetching_.clear();
    html_ = DisplayableMarkup(html);
    setHtml(html_);
}

void CReadingPane::ShowPage(const QString& html, const PageColors& colors, int zoomLevel) {
    // The page names its colours on its body as the text and link attributes, which the
    // document does not apply; the same colours go in as its style sheet and palette.
    const QString text = u'#' + ColorToHex(colors.text);
    const QString link = u'#' + ColorToHex(colors.link);
    const QString background = u'#' + ColorToHex(colors.background);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(background));
    colours.setColor(QPalette::Text, QColor(text));
    colours.setColor(QPalette::Link, QColor(link));
    setPalette(colours);
    document()->setDefaultStyleSheet(
        QStringLiteral("body { color: %1; } a { color: %2; }").arg(text, link));
    QFont font = document()->defaultFont();
    font.setPointSize(PointSizeOfZoom(zoomLevel));
    document()->setDefaultFont(font);
    SetHtml(html);
    verticalScrollBar()->setValue(0);
}

void CReadingPane::ShowRaw(const QString& html) {
    setPalette(QApplication::palette(this));
    document()->setDefaultStyleSheet(QString());
    QFont font = document()->defaultFont();
    font.setPointSize(PointSizeOfZoom(1));
    document()->setDefaultFont(font);
    SetHtml(html);
    verticalScrollBar()->setValue(0);
}

void CReadingPane::SetFontSmoothing(bool on) {
    QFont font = document()->defaultFont();
    font.setStyleStrategy(on ? QFont::PreferDefault : QFont::NoAntialias);
    document()->setDefaultFont(font);
}

void CReadingPane::ClearPage() {
    SetHtml(QString());
}

QVariant CReadingPane::loadResource(int type, const QUrl& name) {
    // What is refused is answered with an empty stand-in: a null answer would have the
    // document read the address from the local disk itself.
    static const QImage NoImage = [] {
        QImage pixel(1, 1, QImage::Format_ARGB32);
        pixel.fill(Qt::transparent);
        return pixel;
    }();
    if (type != QTextDocument::ImageResource)
        return QByteArray();
    const QString scheme = name.scheme().toLower();
    if ((scheme != u"http" && scheme != u"https") ||
        CRegistrySettings::ForQuillpost().Read(Key::ShowImages) == 0)
        return NoImage;
    if (images_.contains(name))
        return images_.value(name);
    FetchImage(name);
    return NoImage;
}

void CReadingPane::FetchImage(const QUrl& url) {
    if (fetching_.contains(url))
        return;
    fetching_.insert(url);
    QPointer<CReadingPane> pane(this);
    const int page = page_;
    const bool useProxy = UsesProxy();
    const QString proxy = Proxy();
    QThreadPool::globalInstance()->start([pane, page, url, useProxy, proxy] {
        const QImage image = DownloadImage(url, useProxy, proxy);
        QMetaObject::invokeMethod(
            qApp,
            [pane, page, url, image] {
                if (pane)
                    pane->OnImageFetched(page, url, image);
            },
            Qt::QueuedConnection);
    });
}

void CReadingPane::OnImageFetched(int page, const QUrl& url, const QImage& image) {
    if (page != page_ || image.isNull())
        return;
    fetching_.remove(url);
    images_.insert(url, image);
    const int scroll = verticalScrollBar()->value();
    // The page is laid out again with the image, which the document now finds.
    setHtml(html_);
    verticalScrollBar()->setValue(scroll);
}

void CReadingPane::keyPressEvent(QKeyEvent* event) {
    // Space pages down, Shift+Space up, as in every reader.
    if (event->key() == Qt::Key_Space) {
        QScrollBar* bar = verticalScrollBar();
        const int step =
            event->modifiers() & Qt::ShiftModifier ? -bar->pageStep() : bar->pageStep();
        bar->setValue(bar->value() + step);
        return;
    }
    QTextBrowser::keyPressEvent(event);
}
