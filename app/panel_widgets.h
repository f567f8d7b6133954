// Small constructors shared by the window's panels: every control gets its
// object name where it is made.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "files/settings_keys.h"

namespace korin::ui {

// The items of a selector whose value the settings store keeps: the key
// table's list, so that the store accepts exactly what the selector offers.
inline QStringList selectorItems(korin::SettingKey key) {
    QStringList items;
    for (std::string_view item : korin::keyInfo(key).items)
        items << QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
    return items;
}

inline QLabel* makeLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A heading over a group of controls.
inline QLabel* makeHeading(const QString& text, const QString& name, QWidget* parent) {
    QLabel* label = makeLabel(text, name, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// Selectors are built editable; comboBoxDropDownStyle turns the list-only ones
// into plain lists when the window loads.
inline QComboBox* makeSelector(const QString& name, const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion: typing "1" must stay "1", not become "10".
    combo->setCompleter(nullptr);
    combo->setMinimumContentsLength(3);
    return combo;
}

inline QLineEdit* makeField(const QString& name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

inline QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// Shows `text` in a selector: the typed text of an editable one, the matching
// item of a list-only one (a text that is no item leaves it unchanged).
inline void setSelectorText(QComboBox* combo, const QString& text) {
    if (combo->isEditable()) {
        combo->setEditText(text);
        return;
    }
    const int index = combo->findText(text);
    if (index >= 0) combo->setCurrentIndex(index);
}

}  // namespace korin::ui
