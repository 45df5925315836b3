#include "orbit/ui/GroupNameBox.h"

#include "orbit/Catalogue.h"

#include <QMessageBox>

bool AcceptGroupName(QWidget* parent, const QString& name)
{
    const QString problem = GroupNameProblem(name);
    if (problem.isEmpty())
        return true;
    QMessageBox::critical(parent, "Error: Bad group name!", problem + "\nNothing was changed.");
    return false;
}
