#include "vantrelle/DataTable.h"

namespace vantrelle {

DataTable readAll(RecordReader& reader)
{
    DataTable table;
    Record record; // reused, as a reader's records are meant to be
    while (reader.next(record))
        table.records.push_back(record);
    table.columns = reader.columns();
    for (Record& kept : table.records)
        kept.cells.resize(table.columns.size());
    return table;
}

} // namespace vantrelle
