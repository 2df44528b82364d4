#include "media/FilterPropertyDialog.h"

#include "media/GstGraph.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <functional>
#include <vector>

namespace {

QString ValueText(const GValue& v) {
    if ((G_VALUE_HOLDS_BOXED(&v) && !g_value_get_boxed(&v)) ||
        (G_VALUE_HOLDS_OBJECT(&v) && !g_value_get_object(&v)))
        return QStringLiteral("(null)");
    gchar* text = gst_value_serialize(&v);
    QString s = QString::fromUtf8(text ? text : "");
    g_free(text);
    return s;
}

bool IsEditable(GParamSpec* spec) {
    if (!(spec->flags & G_PARAM_WRITABLE) || (spec->flags & G_PARAM_CONSTRUCT_ONLY)) return false;
    switch (G_TYPE_FUNDAMENTAL(spec->value_type)) {
    case G_TYPE_BOOLEAN:
    case G_TYPE_INT:
    case G_TYPE_UINT:
    case G_TYPE_LONG:
    case G_TYPE_ULONG:
    case G_TYPE_INT64:
    case G_TYPE_UINT64:
    case G_TYPE_FLOAT:
    case G_TYPE_DOUBLE:
    case G_TYPE_STRING:
    case G_TYPE_ENUM:
        return true;
    default:
        return false;
    }
}

} // namespace

struct TFilterPropertyDialog::Properties {
    explicit Properties(GstElement* e) : element(GST_ELEMENT(gst_object_ref(e))) {}
    ~Properties() { gst_object_unref(element); }
    Properties(const Properties&) = delete;
    Properties& operator=(const Properties&) = delete;
    void Add(QFormLayout* form, GParamSpec* spec);

    struct Field {
        GParamSpec* spec;
        QWidget* editor;
        std::function<bool(GValue&)> read; // the editor's value; false when unchanged or bad
    };
    GstElement* element;
    std::vector<Field> fields;
};

TFilterPropertyDialog::TFilterPropertyDialog(QWidget* parent, TMediaElement* element,
                                             const QString& caption)
    : QDialog(parent), properties_(std::make_unique<Properties>(GstElementOf(element))) {
    setWindowTitle(caption);
    setModal(true);
    auto* body = new QWidget;
    auto* form = new QFormLayout(body);
    guint count = 0;
    GParamSpec** specs =
        g_object_class_list_properties(G_OBJECT_GET_CLASS(properties_->element), &count);
    for (guint i = 0; i < count; ++i)
        if (specs[i]->flags & G_PARAM_READABLE) properties_->Add(form, specs[i]);
    g_free(specs);
    auto* scroll = new QScrollArea;
    scroll->setWidget(body);
    scroll->setWidgetResizable(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        ApplyChanges();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
}

TFilterPropertyDialog::~TFilterPropertyDialog() = default;

void TFilterPropertyDialog::Properties::Add(QFormLayout* form, GParamSpec* spec) {
    GValue value = G_VALUE_INIT;
    g_value_init(&value, spec->value_type);
    g_object_get_property(G_OBJECT(element), spec->name, &value);
    const QString label = QString::fromUtf8(spec->name);
    if (!IsEditable(spec)) {
        form->addRow(label, new QLabel(ValueText(value)));
        g_value_unset(&value);
        return;
    }
    const GType type = spec->value_type;
    if (G_TYPE_FUNDAMENTAL(type) == G_TYPE_BOOLEAN) {
        auto* box = new QCheckBox;
        const bool initial = g_value_get_boolean(&value);
        box->setChecked(initial);
        fields.push_back({spec, box, [box, initial](GValue& v) {
                              if (box->isChecked() == initial) return false;
                              g_value_set_boolean(&v, box->isChecked());
                              return true;
                          }});
        form->addRow(label, box);
    } else if (G_TYPE_FUNDAMENTAL(type) == G_TYPE_ENUM) {
        auto* combo = new QComboBox;
        GEnumClass* enums = G_ENUM_CLASS(g_type_class_ref(type));
        const int initial = g_value_get_enum(&value);
        for (guint i = 0; i < enums->n_values; ++i) {
            combo->addItem(QString::fromUtf8(enums->values[i].value_nick), enums->values[i].value);
            if (enums->values[i].value == initial) combo->setCurrentIndex(int(i));
        }
        g_type_class_unref(enums);
        fields.push_back({spec, combo, [combo, initial](GValue& v) {
                              const int chosen = combo->currentData().toInt();
                              if (chosen == initial) return false;
                              g_value_set_enum(&v, chosen);
                              return true;
                          }});
        form->addRow(label, combo);
    } else {
        // Numbers and text go through their serialised form, which GStreamer parses back
        // with range checks.
        auto* edit = new QLineEdit(ValueText(value));
        const QString initial = edit->text();
        fields.push_back({spec, edit, [edit, initial](GValue& v) {
                              if (edit->text() == initial) return false;
                              if (G_VALUE_HOLDS_STRING(&v)) {
                                  g_value_set_string(&v, edit->text().toUtf8().constData());
                                  return true;
                              }
                              return bool(gst_value_deserialize(
                                  &v, edit->text().trimmed().toUtf8().constData()));
                          }});
        form->addRow(label, edit);
    }
    g_value_unset(&value);
}

QWidget* TFilterPropertyDialog::Editor(const char* property) const {
    for (const Properties::Field& f : properties_->fields)
        if (g_strcmp0(f.spec->name, property) == 0) return f.editor;
    return nullptr;
}

void TFilterPropertyDialog::ApplyChanges() {
    for (const Properties::Field& f : properties_->fields) {
        GValue v = G_VALUE_INIT;
        g_value_init(&v, f.spec->value_type);
        if (f.read(v) && g_param_value_validate(f.spec, &v) == FALSE)
            g_object_set_property(G_OBJECT(properties_->element), f.spec->name, &v);
        g_value_unset(&v);
    }
}
