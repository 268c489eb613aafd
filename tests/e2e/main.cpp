// pelmora_e2e.exe: end-to-end scenarios of Pelmora.exe, run under Wine.
//
//   pelmora_e2e.exe SCENARIO PELMORA_EXE RUNS_FOLDER
//
// SCENARIO is a name of scenarios.def. The scenario copies the program into a fresh folder under
// RUNS_FOLDER with its own Alarm_List.txt, starts it from another working directory, and this
// program exits non-zero on any failed check. The exit, alarm and schedule-window scenarios move
// the program's clock and need the time-shift library preloaded (run-e2e.sh does that) and
// PELMORA_TIME_OFFSET_FILE set.
#include "scenarios.h"

using namespace e2e;

namespace {

// The scenarios of scenarios.def, in its order.
struct Scenario {
    const wchar_t* name;
    int (*run)(const Options&);
    const wchar_t* summary;
};

const Scenario kScenarios[] = {
#define E2E_SCENARIO(name, function, summary) {L"" name, function, L"" summary},
#include "scenarios.def"
#undef E2E_SCENARIO
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Scenario* scenario = nullptr;
    for (const Scenario& s : kScenarios)
        if (argc == 4 && argv[1] == std::wstring(s.name))
            scenario = &s;
    if (!scenario) {
        Say(L"usage: pelmora_e2e SCENARIO PELMORA_EXE RUNS_FOLDER");
        Say(L"scenarios:");
        for (const Scenario& s : kScenarios)
            Say(L"  " + std::wstring(s.name) + L": " + s.summary);
        return 2;
    }
    Options o{WindowsPath(argv[2]), WindowsPath(argv[3])};
    auto start = Clock::now();
    int failures = scenario->run(o);
    Say(std::wstring(failures ? L"FAILED " : L"PASSED ") + argv[1] + L" (" +
        Fixed(SecondsSince(start)) + L" s)");
    return failures ? 1 : 0;
}
