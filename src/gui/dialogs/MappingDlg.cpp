// The "RSS Mapping" dialog: each format's field elements, edited in a table.

#include "gui/dialogs/MappingDlg.h"

#include "gui/screens/HelpWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QStringList RowNames = {"Title", "Link", "Date", "Content"};

QStringList Overrides(const FieldMapping& mapping) {
    return {mapping.title, mapping.link, mapping.date, mapping.content};
}

QTableWidgetItem* FixedCell(const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled);
    return cell;
}
} // namespace

CMappingDlg::CMappingDlg(QWidget* parent)
    : QDialog(parent), formats_(new QComboBox), table_(new QTableWidget(int(RowNames.size()), 3)),
      xmlChildren_(new QCheckBox(QStringLiteral("Content has un-encoded Xml children"))) {
    setObjectName(QStringLiteral("MappingDlg"));
    setWindowTitle(QStringLiteral("RSS Mapping"));
    formats_->addItems(MappingFormats());
    for (int format = 0; format < MappingFormats().size(); ++format)
        mappings_ << ReadFieldMapping(format);

    table_->setHorizontalHeaderLabels({"Item", "Default Xml", "Override Xml*"});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    for (int row = 0; row < RowNames.size(); ++row)
        table_->setItem(row, ItemColumn, FixedCell(RowNames[row]));
    // Tall enough for the four rows without a scroll bar.
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                           4 * table_->verticalHeader()->defaultSectionSize() +
                           2 * table_->frameWidth());

    auto* note = new QLabel(
        QStringLiteral("* If you want Quillpost to use a different Xml Tag than the default, enter "
                       "a new Xml tag element to use.  Note, do not include the < > characters. "
                       "An example \"Date\" override might be \"dc:date\" ."));
    note->setWordWrap(true);

    auto* buttons = CreateOkCancelHelpButtons(this, QStringLiteral("mapping.htm"));

    auto* chooser = new QFormLayout;
    chooser->addRow(QStringLiteral("Feed format:"), formats_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addWidget(table_);
    layout->addWidget(xmlChildren_);
    layout->addWidget(note);
    layout->addStretch(1);
    layout->addWidget(buttons);

    ShowFormat(0);
    connect(formats_, &QComboBox::currentIndexChanged, this, [this](int format) {
        KeepShownEdits();
        ShowFormat(format);
    });
    setMinimumWidth(460);
}

void CMappingDlg::ShowFormat(int format) {
    const QStringList defaults = DefaultMappingElements(format);
    const QStringList overrides = Overrides(mappings_[format]);
    for (int row = 0; row < RowNames.size(); ++row) {
        table_->setItem(row, DefaultColumn, FixedCell(u'<' + defaults[row] + u'>'));
        table_->setItem(row, OverrideColumn, new QTableWidgetItem(overrides[row]));
    }
    xmlChildren_->setChecked(mappings_[format].xmlChildren);
    shown_ = format;
}

void CMappingDlg::KeepShownEdits() {
    // An edit still open in its cell counts as made.
    table_->setCurrentItem(nullptr);
    const auto text = [this](Row row) { return table_->item(row, OverrideColumn)->text(); };
    mappings_[shown_] = {text(TitleRow), text(LinkRow), text(DateRow), text(ContentRow),
                         xmlChildren_->isChecked()};
}

void CMappingDlg::accept() {
    KeepShownEdits();
    for (int format = 0; format < mappings_.size(); ++format)
        WriteFieldMapping(format, mappings_[format]);
    QDialog::accept();
}
