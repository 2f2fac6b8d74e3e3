#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace web {

// The scripts the program runs in its pages, kept as files under src/web/js and built in.
enum class PageScript
{
    Composer,     // shows a document in pieces as one continuous page
    PageMargins,  // the margins of the document's own @page rule
    PrintPrepare, // readies a printed piece: joins, carried blocks, named blocks
    PrintCarry,   // what a piece's last page holds, to begin the next with
};

// A script's source; empty when it is missing from the build.
QString pageScript(PageScript script);
// A script that is a function expression, called with `arguments` (each a JavaScript literal).
QString pageScriptCall(PageScript script, const QVariantList& arguments);

// A call of the composer's `method` (complete, goTo, highlight, status) in the page it runs in;
// when the page has no composer the call gives null.
QString composerCall(const char* method, const QVariantList& arguments = {});

// The scripts missing below `folder` (the built-in ones by default), by file name: the program
// refuses to start without them rather than show pages that never fill.
QStringList missingPageScripts(const QString& folder = {});

} // namespace web
