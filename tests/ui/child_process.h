// Window tests that need the program as a process of its own (to see it end, or to kill it)
// start this same test program again as `--child=<scenario> <arguments>`: the scenario runs
// instead of the tests, in an application of its own, and the test reads what it prints.
#pragma once

#include <QString>
#include <QStringList>

namespace orv::ui::test {

// The child's side: runs the scenario and returns the process's exit status.
int RunChildScenario(const QString& scenario, const QStringList& arguments);

} // namespace orv::ui::test
