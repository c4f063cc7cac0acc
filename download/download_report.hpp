#pragma once
// What one download does, kept as it runs and read at its finish: the verdict on the
// finish screen is made from it, and so is the record of the download. The per-byte
// exchange touches nothing here but two counters and the address.
//
//   DownloadProcedure, DownloadPhase   which download, and where it stands
//   QuestionKind, QuestionAnswer       the questions put to the operator and their answers
//   QuestionCounts                     how often each was raised, and answered how
//   DownloadEnd                        how a download ended
//   DownloadReport                     all of it for one download
//   start_report                       a fresh report for a download starting
//   note_question / note_answer        a question raised, and the operator's answer
//   Verdict, verdict_of                the finish screen's verdict: its text, and whether it is good

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zizuvu {

enum class DownloadProcedure { older, current, retry };
enum class DownloadPhase { asking, linking, identifying, erasing, programming, finished };

enum class QuestionKind {
    address_stall,       // a key while the address echo is missing
    wrong_address_echo,  // the address echo differs
    transmit_error,      // the data did not go out whole
    data_stall,          // a key while the data echo or the acknowledgement is missing
    wrong_data,          // the data echo or the acknowledgement differs
};
inline constexpr std::size_t QUESTION_KINDS = 5;

enum class QuestionAnswer {
    retry,    // resynchronise, resend or write again, as the question's retry does
    go_on,    // pass the byte over (a wrong echo accepted) or wait on
    end,      // Escape: the download ends
};
inline constexpr std::size_t QUESTION_ANSWERS = 3;

struct QuestionCounts {
    int raised = 0;
    std::array<int, QUESTION_ANSWERS> answered{};  // by QuestionAnswer
};

enum class DownloadEnd {
    in_progress,
    complete,
    ended_by_operator,
    attempts_exhausted,  // unattended: the same byte failed as often as allowed
    line_failure,
    ended_by_signal,
    no_radio_answered,
};

struct DownloadReport {
    DownloadProcedure procedure = DownloadProcedure::current;
    DownloadPhase phase = DownloadPhase::asking;
    std::string answers;                   // the operator's answers to the opening questions
    int speed = 0;                         // baud of the download phase
    bool started = false;                  // the link is open and the radio is being addressed
    std::optional<std::uint32_t> radio_serial;
    long bytes_to_send = 0;                // by a whole walk of the image
    long bytes_acknowledged = 0;           // sent and answered as they should be
    std::uint16_t address = 0;             // of the byte in hand, or the next one
    std::optional<std::uint16_t> last_address;  // of the last byte that went through
    bool walk_complete = false;            // the record ending at 0xFFFF went out
    std::vector<std::uint16_t> passed_over;  // bytes the operator went on past after a mismatch
    std::array<QuestionCounts, QUESTION_KINDS> questions{};
    std::optional<QuestionKind> open_question;  // raised and not yet answered
    bool attempts_exhausted = false;       // set by an unattended run when it gives a byte up
    bool line_lost = false;                // the device went away during the download
    int line_error = 0;                    // the error shown when it did, 0 if none
    DownloadEnd end = DownloadEnd::in_progress;
};

DownloadReport start_report(DownloadProcedure procedure, long bytes_to_send);
void note_question(DownloadReport& report, QuestionKind kind);
void note_answer(DownloadReport& report, QuestionAnswer answer);

struct Verdict {
    std::string text;
    bool good = false;
};

Verdict verdict_of(const DownloadReport& report, std::uint32_t image_crc32);

}  // namespace zizuvu
