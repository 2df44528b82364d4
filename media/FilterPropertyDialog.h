// The "property pages" of a graph element: a modal dialog listing the element's GObject
// properties with their values. Writable properties of basic types (bool, integers, double,
// string, enum) can be edited; OK applies the changed ones.
#pragma once

#include "media/FilterGraph.h"

#include <QDialog>
#include <memory>

class TFilterPropertyDialog : public QDialog {
    Q_OBJECT
public:
    // Holds the element while it shows.
    TFilterPropertyDialog(QWidget* parent, TMediaElement* element, const QString& caption);
    ~TFilterPropertyDialog() override;

    // The editor of a property, or nullptr when it is shown read-only or not at all.
    QWidget* Editor(const char* property) const;
    // Sets every edited value on the element (what OK does).
    void ApplyChanges();

private:
    struct Properties; // the element and the editors of its properties (FilterPropertyDialog.cpp)
    std::unique_ptr<Properties> properties_;
};
