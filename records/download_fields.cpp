#include "records/download_fields.hpp"

#include <algorithm>
#include <charconv>
#include <utility>

#include "records/record_text.hpp"

namespace zizuvu {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return parts;
}

}  // namespace

std::string questions_json(const std::vector<QuestionTally>& tallies) {
    using Keys = std::vector<std::pair<std::string, std::uint64_t>>;
    std::vector<std::pair<std::string, Keys>> questions;
    for (const QuestionTally& tally : tallies) {
        auto question = std::find_if(questions.begin(), questions.end(),
                                     [&](const auto& known) { return known.first == tally.question; });
        if (question == questions.end()) question = questions.insert(questions.end(), {tally.question, {}});
        Keys& keys = question->second;
        auto key = std::find_if(keys.begin(), keys.end(), [&](const auto& known) { return known.first == tally.key; });
        if (key == keys.end()) key = keys.insert(keys.end(), {tally.key, 0});
        key->second += tally.count;
    }
    if (questions.empty()) return "";
    std::string json = "{";
    for (const auto& [question, keys] : questions) {
        if (json.size() > 1) json += ',';
        json += json_string(question) + ":{";
        for (std::size_t i = 0; i < keys.size(); ++i)
            json += (i > 0 ? "," : "") + json_string(keys[i].first) + ":" + std::to_string(keys[i].second);
        json += '}';
    }
    return json + "}";
}

std::vector<QuestionTally> questions_from_rows(std::string_view rows) {
    std::vector<QuestionTally> tallies;
    for (const std::string_view row : split(rows, '\x1E')) {
        const std::vector<std::string_view> parts = split(row, '\x1F');
        if (parts.size() != 3) continue;
        QuestionTally tally{std::string(parts[0]), std::string(parts[1]), 0};
        std::from_chars(parts[2].data(), parts[2].data() + parts[2].size(), tally.count);
        tallies.push_back(std::move(tally));
    }
    return tallies;
}

std::string addresses_text(const std::vector<std::uint32_t>& addresses) {
    std::string text;
    for (const std::uint32_t address : addresses) text += (text.empty() ? "" : " ") + address_text(address);
    return text;
}

std::vector<std::uint32_t> addresses_from_text(std::string_view text) {
    std::vector<std::uint32_t> addresses;
    for (const std::string_view word : split(text, ' ')) {
        std::uint32_t address = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), address, 16);
        if (error == std::errc() && end == word.data() + word.size() && !word.empty()) addresses.push_back(address);
    }
    return addresses;
}

}  // namespace zizuvu
