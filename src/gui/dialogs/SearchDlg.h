#pragma once

#include <QDialog>

class CRssDatabase;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Database Search": a term looked for in the items' titles, keywords and text. "Go" lists the
// titles found; OK makes the built-in "Search Results" View a keyword View of the term, so that
// the item list can show it.
class CSearchDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSearchDlg(CRssDatabase& db, QWidget* parent = nullptr);

    void accept() override;

    QLineEdit* TermEdit() const { return term_; }
    QCheckBox* TitleBox() const { return byTitle_; }
    QCheckBox* KeywordsBox() const { return byKeywords_; }
    QCheckBox* DescriptionBox() const { return byText_; }
    QPushButton* GoButton() const { return go_; }
    QListWidget* ResultList() const { return results_; }
    QString StatusText() const;

private:
    void Search();
    // Stores the term as View 2's keywords and rebuilds its membership; false when it failed.
    bool MakeSearchResultsView();

    CRssDatabase& db_;
    QLineEdit* term_;
    QCheckBox* byTitle_;
    QCheckBox* byKeywords_;
    QCheckBox* byText_;
    QPushButton* go_;
    QListWidget* results_;
    QLabel* status_;
};
