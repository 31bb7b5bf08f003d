#pragma once
// The names a person types into the open dialog's file name box, and the
// files they stand for.
#include <QDir>
#include <QString>
#include <QStringList>

// A text without quotes is one name, the blanks around it dropped. With
// quotes, every quoted part is a name as written, and the words between
// the quoted parts are names too: nothing typed is left out unseen.
QStringList SplitTypedNames(const QString& Text);

// The full path a typed name stands for: "~" is the home folder, a
// relative name lies in Folder. A name without a dot that names nothing
// gets Suffix appended, as the dialog's default extension.
QString ResolveTypedName(const QDir& Folder, const QString& Name, const QString& Suffix);
