#pragma once
// From the records of an Intel HEX image to the program's firmware image table: the
// table's own rules, checked with the very walk the downloads make, and the stored
// form with every 32-bit word byte-reversed.
//
//   store_record          one record in its 20 stored bytes, appended to a table
//   stored_table          every record, in file order
//   check_table_walk      the walk ends at 0xFFFF, after the last record and no earlier
//   table_source          the C++ source of the compiled-in table

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "download/intel_hex.hpp"

namespace zizuvu {

// Spare bytes after the data are zero.
void store_record(std::vector<std::uint8_t>& table, std::uint8_t byte_count, std::uint16_t load_address,
                  std::uint8_t checksum, const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> stored_table(const std::vector<ImageRecord>& records);

std::optional<HexFault> check_table_walk(const std::vector<ImageRecord>& records);

std::string table_source(const std::vector<ImageRecord>& records, std::string_view image_name);

}  // namespace zizuvu
