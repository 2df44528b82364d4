// The shared string table of a workbook: every distinct cell text once, in first-use order;
// text cells refer to it by index (LABELSST).
#pragma once

#include <QHash>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class SharedStringTable {
public:
    // The index of the text, added at the end when new.
    uint32_t Intern(const QString& text);
    uint32_t Count() const { return uint32_t(strings_.size()); }
    const QString& Text(uint32_t index) const { return strings_[index]; }

    // Appends the SST record (with the CONTINUE records it needs) and the EXTSST index to
    // the workbook stream. `references` is the number of cells that refer to the table.
    void Write(std::string& stream, uint32_t references) const;

private:
    QHash<QString, uint32_t> index_;
    std::vector<QString> strings_;
};
