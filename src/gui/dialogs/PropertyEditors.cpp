// The settings screen's editors: paths, colours and times of day.

#include "gui/dialogs/PropertyEditors.h"

#include "app/SettingsTree.h"
#include "text/MarkupText.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <QTimeEdit>
#include <QToolButton>
#include <cstdlib>
#include <functional>

namespace {

constexpr int MinutesPerHour = 60;

// A line of text with a "..." button beside it, placed over the value cell. The choosers it
// opens are its children, so that the cell's editor stays open while they are up.
class CBrowseField : public QWidget {
public:
    CBrowseField(QWidget* parent, std::function<QString(CBrowseField*)> browse)
        : QWidget(parent), edit_(new QLineEdit), button_(new QToolButton) {
        button_->setText(QStringLiteral("..."));
        button_->setObjectName(QStringLiteral("BrowseButton"));
        button_->setFocusPolicy(Qt::NoFocus);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        layout->addWidget(edit_, 1);
        layout->addWidget(button_);
        setFocusProxy(edit_);
        connect(button_, &QToolButton::clicked, this, [this, browse = std::move(browse)] {
            const QString chosen = browse(this);
            if (!chosen.isEmpty())
                edit_->setText(chosen);
            edit_->setFocus();
        });
    }
    QLineEdit* Edit() const { return edit_; }

private:
    QLineEdit* edit_;
    QToolButton* button_;
};

QLineEdit* EditOf(QWidget* editor) {
    return static_cast<CBrowseField*>(editor)->Edit();
}

// An on/off tick and a time of day; changing the time ticks "on".
class CTimeField : public QWidget {
public:
    explicit CTimeField(QWidget* parent)
        : QWidget(parent), on_(new QCheckBox(QStringLiteral("on"))), time_(new QTimeEdit) {
        time_->setDisplayFormat(QStringLiteral(" HH:mm"));
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(2, 0, 0, 0);
        layout->addWidget(on_);
        layout->addWidget(time_, 1);
        setFocusProxy(time_);
        connect(time_, &QTimeEdit::userTimeChanged, this, [this] { on_->setChecked(true); });
    }
    void SetValue(int value) {
        const int minute = std::abs(value);
        const QSignalBlocker quiet(time_);
        time_->setTime(QTime(minute / MinutesPerHour, minute % MinutesPerHour));
        on_->setChecked(value >= 1);
    }
    int Value() const {
        const int minute = time_->time().hour() * MinutesPerHour + time_->time().minute();
        return on_->isChecked() ? minute : -minute;
    }

private:
    QCheckBox* on_;
    QTimeEdit* time_;
};

} // namespace

QColor ColourFromSetting(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int SettingFromColour(const QColor& colour) {
    return colour.red() | colour.green() << 8 | colour.blue() << 16;
}

QWidget* CPathEditor::CreateEditor(QWidget* parent, const QVariant&) const {
    const bool folder = folder_;
    return new CBrowseField(parent, [folder](CBrowseField* field) {
        const QString current = field->Edit()->text();
        return folder
                   ? QFileDialog::getExistingDirectory(field, QStringLiteral("Select Folder"),
                                                       current)
                   : QFileDialog::getOpenFileName(field, QStringLiteral("Select Program"), current);
    });
}

void CPathEditor::SetEditorValue(QWidget* editor, const QVariant& value) const {
    EditOf(editor)->setText(value.toString());
}

QVariant CPathEditor::EditorValue(QWidget* editor) const {
    return EditOf(editor)->text();
}

QString CColourEditor::Text(const QVariant& value, const QVariant&) const {
    return u'#' + ColorToHex(quint32(value.toInt()));
}

QIcon CColourEditor::Icon(const QVariant& value, const QVariant&) const {
    QPixmap swatch(16, 16);
    swatch.fill(ColourFromSetting(value.toInt()));
    QPainter painter(&swatch);
    painter.setPen(Qt::darkGray);
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    return QIcon(swatch);
}

QWidget* CColourEditor::CreateEditor(QWidget* parent, const QVariant&) const {
    auto* field = new CBrowseField(parent, [](CBrowseField* field) {
        const QColor picked = QColorDialog::getColor(QColor(field->Edit()->text()), field,
                                                     QStringLiteral("Select Color"));
        return picked.isValid() ? picked.name().toUpper() : QString();
    });
    static const QRegularExpression hex(QStringLiteral("#[0-9A-Fa-f]{0,6}"));
    field->Edit()->setValidator(new QRegularExpressionValidator(hex, field->Edit()));
    return field;
}

void CColourEditor::SetEditorValue(QWidget* editor, const QVariant& value) const {
    EditOf(editor)->setText(Text(value, {}));
    // Kept for a text left unfinished: the colour then stays as it was.
    editor->setProperty("original", value);
}

QVariant CColourEditor::EditorValue(QWidget* editor) const {
    const QString text = EditOf(editor)->text();
    return text.size() == 7 ? QVariant(SettingFromColour(QColor(text)))
                            : editor->property("original");
}

QString CTimeEditor::Text(const QVariant& value, const QVariant&) const {
    return TimeSettingText(value.toInt());
}

QWidget* CTimeEditor::CreateEditor(QWidget* parent, const QVariant&) const {
    return new CTimeField(parent);
}

void CTimeEditor::SetEditorValue(QWidget* editor, const QVariant& value) const {
    static_cast<CTimeField*>(editor)->SetValue(value.toInt());
}

QVariant CTimeEditor::EditorValue(QWidget* editor) const {
    return static_cast<CTimeField*>(editor)->Value();
}

void AddSettingsEditors(CPropertyTree& tree) {
    tree.SetEditor(PropertyKind::FilePath, std::make_shared<CPathEditor>(false));
    tree.SetEditor(PropertyKind::FolderPath, std::make_shared<CPathEditor>(true));
    tree.SetEditor(PropertyKind::Colour, std::make_shared<CColourEditor>());
    tree.SetEditor(PropertyKind::Time, std::make_shared<CTimeEditor>());
}
