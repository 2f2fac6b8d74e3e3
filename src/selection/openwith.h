#pragma once

#include <QString>
#include <QStringList>

namespace selection {

// What a file named on the command line (Open With in a file manager) asks of the selection
// window.
struct OpenRequest
{
    enum class Action
    {
        Nothing, // no file named: start as always
        Show,    // go to the file's folder, select it and show it
        Refuse,  // tell the user why, then start as always
    };
    Action action = Action::Nothing;
    QString folder;   // native separators, no trailing one except a root's
    QString fileName; // bare name
    QString message;  // for Refuse
};

// Decides from the arguments after the program's name; only the first counts. A relative path is
// taken from `workingFolder`, a file:// URL as its local file. A file must exist and hold XML: an
// .xml name whose first characters, after a byte-order mark and white space, open a tag.
[[nodiscard]] OpenRequest decideOpen(const QStringList& arguments, const QString& workingFolder);

} // namespace selection
