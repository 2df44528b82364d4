// The "property pages" of a graph element: a modal dialog listing the element's GObject
// properties with their values. Writable properties of basic types (bool, integers, double,
// string, enum) can be edited; OK applies the changed ones.
#pragma once

#include <gst/gst.h>

#include <QDialog>
#include <functional>
#include <vector>

class TFilterPropertyDialog : public QDialog {
    Q_OBJECT
public:
    TFilterPropertyDialog(QWidget* parent, GstElement* element, const QString& caption);
    ~TFilterPropertyDialog() override;

    // The editor of a property, or nullptr when it is shown read-only or not at all.
    QWidget* Editor(const char* property) const;
    // Sets every edited value on the element (what OK does).
    void ApplyChanges();

private:
    struct Field {
        GParamSpec* spec;
        QWidget* editor;
        std::function<bool(GValue&)> read; // the editor's value; false when unchanged or bad
    };
    void AddProperty(class QFormLayout* form, GParamSpec* spec);

    GstElement* element_;
    std::vector<Field> fields_;
};
