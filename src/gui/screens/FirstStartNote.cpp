// The note a first start shows above the lists.

#include "gui/screens/FirstStartNote.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

CFirstStartNote::CFirstStartNote(QWidget* parent)
    : QFrame(parent), text_(new QLabel),
      update_(new QPushButton(QStringLiteral("Update All Feeds"))),
      wizard_(new QPushButton(QStringLiteral("Feed Wizard..."))) {
    setObjectName(QStringLiteral("FirstStartNote"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::AlternateBase);
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QToolButton;
    close->setAutoRaise(true);
    close->setText(QStringLiteral("\u2715"));
    close->setToolTip(QStringLiteral("Close this note"));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addWidget(update_);
    layout->addWidget(wizard_);
    layout->addWidget(close);

    connect(update_, &QPushButton::clicked, this, [this] {
        hide();
        emit updateAllRequested();
    });
    connect(wizard_, &QPushButton::clicked, this, [this] {
        hide();
        emit wizardRequested();
    });
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void CFirstStartNote::ShowFor(const QString& databasePath) {
    text_->setText(QStringLiteral("<b>Welcome to Quillpost.</b> Your database has been created "
                                  "with a few demonstration feeds (%1). Update them to read their "
                                  "latest items, or add your own feeds with the Feed Wizard.")
                       .arg(databasePath.toHtmlEscaped()));
    show();
}
