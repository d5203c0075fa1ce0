// How the archive viewer shows the value of an index field in the result
// list and in the document's data grid, by the field's dictionary type.
#pragma once

#include <string>
#include <string_view>

namespace qod {

// "A": the text as decoded; "N": its number grouped with "." (1.234.567);
// "D" (yyyymmdd at the start): "dd/mm/yyyy"; "Z" (yyyymmddhhnnss):
// "dd/mm/yyyy hh.nn.ss"; any other type: empty.
std::string Cella_Formatta(std::string_view tipo, std::string_view valore);

}  // namespace qod
