#pragma once
// Where the open dialog starts.
#include <QString>
#include <QStringList>

// The first of Candidates that is an existing folder. Otherwise where the
// platform's own dialog would start: the current folder when it holds
// files matching Pattern, else the user's pictures folder, else the home
// folder. Without this the first dialog would show the program's own
// folder, which start-up makes the current one.
QString OpenStartFolder(const QStringList& Candidates, const QString& Pattern);
