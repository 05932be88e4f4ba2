// The pane an item is read in, with its zoom and its inline images.

#include "gui/screens/ReadingPane.h"

#include "text/MarkupText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextDocument>

CReadingPane::CReadingPane(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("VC_DETAILS"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    document()->setDocumentMargin(12);
    connect(this, &QTextBrowser::anchorClicked, this, &CReadingPane::linkTapped);
    connect(&imageLoader_, &CImageLoader::fetched, this, &CReadingPane::OnImageFetched);
}

int CReadingPane::PointSizeOfZoom(int zoomLevel) {
    // "smaller", the shipped setting, is the desktop's usual reading size.
    return 10 + 2 * zoomLevel;
}

void CReadingPane::SetHtml(const QString& html) {
    imageLoader_.NewPage();
    shownImages_.clear();
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
    if (!CImageLoader::MayFetch(name))
        return NoImage;
    if (shownImages_.contains(name))
        return shownImages_.value(name);
    imageLoader_.Fetch(name);
    return NoImage;
}

void CReadingPane::OnImageFetched(const QUrl& url, const QByteArray& bytes) {
    const QImage image = QImage::fromData(bytes);
    if (image.isNull())
        return;
    shownImages_.insert(url, image);
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
