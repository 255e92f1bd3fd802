#include "ListWorkspace.h"

#include "lists/ListKind.h"

ListWorkspace::ListWorkspace(int kind, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    setObjectName(lists::listKind(kind).windowName);
    setWindowTitle(lists::listKind(kind).caption);
}

void ListWorkspace::openFromMenu()
{
    show();
}
