// The settings screen's editors for paths, colours and times of day.

#pragma once

#include "gui/dialogs/PropertyTree.h"

#include <QColor>

// The kinds the settings screen adds to a property tree: a path typed or browsed for, a colour
// typed as "#RRGGBB" or picked, and a time of day with an on/off state.

// The path kinds' value is the text; the browse button picks a file or a folder.
class CPathEditor : public CPropertyEditor {
public:
    explicit CPathEditor(bool folder) : folder_(folder) {}
    QWidget* CreateEditor(QWidget* parent, const QVariant& options) const override;
    void SetEditorValue(QWidget* editor, const QVariant& value) const override;
    QVariant EditorValue(QWidget* editor) const override;

private:
    bool folder_;
};

// The value is the configuration's colour number, red in the lowest byte (0x00BBGGRR).
class CColourEditor : public CPropertyEditor {
public:
    QString Text(const QVariant& value, const QVariant& options) const override;
    QIcon Icon(const QVariant& value, const QVariant& options) const override;
    QWidget* CreateEditor(QWidget* parent, const QVariant& options) const override;
    void SetEditorValue(QWidget* editor, const QVariant& value) const override;
    QVariant EditorValue(QWidget* editor) const override;
};

// The value is the minute of the day, positive when on and negative (or 0) when off. Picking a
// time switches it on; switching it off keeps the time.
class CTimeEditor : public CPropertyEditor {
public:
    QString Text(const QVariant& value, const QVariant& options) const override;
    QWidget* CreateEditor(QWidget* parent, const QVariant& options) const override;
    void SetEditorValue(QWidget* editor, const QVariant& value) const override;
    QVariant EditorValue(QWidget* editor) const override;
};

// Gives a tree the editors of the kinds above.
void AddSettingsEditors(CPropertyTree& tree);

QColor ColourFromSetting(int value);
int SettingFromColour(const QColor& colour);
