#include "download/download_report.hpp"

#include <cstdio>

#include "download/download_image.hpp"

namespace zizuvu {

DownloadReport start_report(DownloadProcedure procedure, long bytes_to_send) {
    DownloadReport report;
    report.procedure = procedure;
    report.bytes_to_send = bytes_to_send;
    return report;
}

void note_question(DownloadReport& report, QuestionKind kind) {
    ++report.questions[static_cast<std::size_t>(kind)].raised;
    report.open_question = kind;
}

void note_answer(DownloadReport& report, QuestionAnswer answer) {
    if (!report.open_question) return;
    ++report.questions[static_cast<std::size_t>(*report.open_question)].answered[static_cast<std::size_t>(answer)];
    report.open_question.reset();
}

Verdict verdict_of(const DownloadReport& report, std::uint32_t image_crc32) {
    const std::string acknowledged = std::to_string(report.bytes_acknowledged);
    if (!report.walk_complete) {
        char address[8];
        std::snprintf(address, sizeof address, "0x%04X", report.address);
        return {"INCOMPLETE: ended at address " + std::string(address) + ", " + acknowledged + " of " +
                    std::to_string(report.bytes_to_send) + " bytes sent - the radio is not fully programmed",
                false};
    }
    if (!report.passed_over.empty()) {
        const std::size_t count = report.passed_over.size();
        return {"Complete, but " + std::to_string(count) + (count == 1 ? " byte was" : " bytes were") +
                    " passed over by the operator after a mismatch - program again",
                false};
    }
    return {"Complete: " + acknowledged + " bytes sent and acknowledged, image CRC-32 " + crc32_on_screen(image_crc32),
            true};
}

}  // namespace zizuvu
