// VZ_PIECE=unit,piece[,print] sets how finely the benchmarks' browser cuts ledgers (weights in
// elements; the print weight stays the program's when not given). Shared by the benchmarks.
#pragma once

#include "viewer/webbrowser.h"

#include <QStringList>

inline void pieceLimitsFromEnvironment(viewer::WebBrowser& browser)
{
    if (!qEnvironmentVariableIsSet("VZ_PIECE")) {
        return;
    }
    const QStringList limits = qEnvironmentVariable("VZ_PIECE").split(QLatin1Char(','));
    render::PieceLimits pieceLimits;
    pieceLimits.unitWeight = limits.value(0).toInt();
    pieceLimits.pieceWeight = limits.value(1).toInt();
    if (limits.size() > 2) {
        pieceLimits.printWeight = limits.at(2).toInt();
    }
    browser.setPieceLimits(pieceLimits);
}
