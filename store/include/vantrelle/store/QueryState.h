#pragma once

namespace vantrelle::store {

// The states of the movies query, with the ordinals the window tests.
enum QueryState : int {
    qsClosed = 0, // closed
    qsBrowse = 1, // open, no change pending
    qsEdit = 2, // the current row is being changed
    qsInsert = 3, // a new row is being made
};

} // namespace vantrelle::store
