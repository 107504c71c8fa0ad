#pragma once
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "soak_run.h"

namespace soak {

// A table of counts with its total; returns the total.
inline long table(std::ostringstream& out, const char* what, const std::map<std::string, long>& rows) {
    long total = 0;
    for (const auto& [name, times] : rows) total += times;
    out << "| " << what << " | times |\n|---|---:|\n";
    for (const auto& [name, times] : rows) out << "| " << name << " | " << times << " |\n";
    out << "| **all** | **" << total << "** |\n\n";
    return total;
}

// The soak's figures as a markdown section. `withTime`: include how long it
// took (left out where two runs are compared).
inline std::string soakReport(const SoakFigures& f, bool withTime = true) {
    const LedgerFigures& l = f.ledger;
    auto acknowledged = [&](EventKind kind) {
        auto it = l.acknowledged.find(kind);
        return it == l.acknowledged.end() ? 0L : it->second;
    };
    long sentAgain = 0;
    for (const auto& [cause, times] : l.sentAgain) sentAgain += times;
    const long reported = acknowledged(EventKind::New) + acknowledged(EventKind::Modification) +
                          acknowledged(EventKind::Close) + acknowledged(EventKind::Delete);
    const long absorbed = l.absorbedOpens + l.absorbedModifications + l.absorbedCloses;

    std::ostringstream out;
    out << "## Randomized soak\n\n";
    out << "Seed " << f.settings.seed << ": " << f.cycles << " poll cycles (" << f.cyclesOnWrites
        << " of them started by the expert's writes, milliseconds apart)";
    if (withTime) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", f.seconds);
        out << " in " << seconds << " s";
    }
    if (f.stoppedByTime) out << " (stopped at its time limit before the " << f.settings.cycles << " asked for)";
    out << ", " << f.processes << " program starts, " << f.checkpoints << " checkpoints at which everything settled "
        << "and the books were compared with the order log.\n\n";

    out << "| Result | |\n|---|---:|\n";
    out << "| events lost | **" << l.lost << "** |\n";
    out << "| events sent again (all explained below) | " << sentAgain << " |\n";
    out << "| requests that did not match the order log | " << f.garbledRequests << " |\n";
    out << "| Active.log is exactly the acknowledged requests | " << (f.journalExact ? "yes" : "**no**") << " |\n";
    out << "| other faults found | " << f.faultCount << " |\n\n";

    out << "### Order events\n\n";
    out << "| Event | made by the expert | acknowledged by the service |\n|---|---:|---:|\n";
    out << "| opened | " << f.expert.opens << " | " << acknowledged(EventKind::New) << " (new) |\n";
    out << "| modified, pending orders filled | " << f.expert.modifications << " + " << f.expert.fills << " | "
        << acknowledged(EventKind::Modification) << " (modification) |\n";
    out << "| closed | " << f.expert.closes << " | " << acknowledged(EventKind::Close) << " (close) |\n";
    out << "| deleted | " << f.expert.deletes << " | " << acknowledged(EventKind::Delete) << " (delete) |\n";
    out << "| **all** | **" << f.expert.total() << "** | **" << reported << "** |\n\n";
    out << "The relay sees the log once a cycle, so what happens between two cycles, or while the program is down, "
           "reaches the service as one event: an order opened and closed in between is never seen, several "
           "modifications are one, a modification followed by a close is the close. Events that needed reporting: "
        << (l.lost == 0 ? std::string("all acknowledged") : std::to_string(l.lost) + " **not** acknowledged")
        << ". Taken as known by the start-up rebuild of a new login date, as it is built to, and so never "
           "reported: "
        << l.absorbedOpens << " opens, " << l.absorbedModifications << " modifications, " << l.absorbedCloses
        << " closes (" << absorbed << " in all).\n\n";

    out << "### Sent again\n\n";
    out << "| Cause | events |\n|---|---:|\n";
    for (const auto& [cause, times] : l.sentAgain) out << "| " << resendName(cause) << " | " << times << " |\n";
    out << "| **all** | **" << sentAgain << "** |\n\n";
    out << "The design allows one window: an event the service acknowledged but whose save the program did not "
           "finish (it died, or ended while the state files could not be written). The next run finds the event "
           "again and sends it once more. Of the openings taken in that window, "
        << l.leftOpenByCrashWindow
        << " belonged to orders that closed before the next run could send them again; the relay does not report "
           "the close of an order it does not know, so the service keeps them open.";
    if (l.sentAgain.count(Resend::HalfWrittenLogAtRebuild))
        out << " A new date's rebuild that reads a log cut exactly at a line end cannot tell it from a whole one; "
               "the orders after the cut are then reported again as new.";
    out << "\n\n";

    out << "### Faults injected\n\n";
    out << "Requests sent: " << f.requests << ". Order logs caught half-written: " << f.halfWrittenLogs << " ("
        << f.halfWrittenAtLineEnd << " cut at a line end).\n\n";
    table(out, "Reply fault", f.replyFaults);
    table(out, "File fault", f.fileFaults);
    table(out, "Program death", f.deaths);
    out << "Program starts: " << f.processes << "; logins on the date of the last one: " << f.loginsSameDate
        << ", on a new date: " << f.loginsNewDate << " (start-up rebuilds: " << f.rebuilds << ", of which "
        << f.rebuildWaits << " times waited a cycle for a log being written); Exit: " << f.exits
        << "; Logout and Login in one run: " << f.logouts << ".\n\n";
    const long boxes = table(out, "Message box shown", f.messages);
    out << "Active.log: " << f.journalLines << " lines; " << f.journalLinesLost
        << " acknowledged requests have no line, their append having failed (full disk) or the program having died "
           "there.\n";
    if (boxes == 0) out << "\nNo message box was shown.\n";
    if (!f.faults.empty()) {
        out << "\n### Faults found\n\n";
        for (const auto& fault : f.faults) out << "- " << fault << "\n";
    }
    return out.str();
}

}  // namespace soak
