// Paths from folders and names, where a trail byte equal to a backslash is no separator.
#include "platform/Path.h"

#include <utility>

CString WithBackslash(CString folder)
{
    if (!folder.EndsWith('\\'))
        folder += '\\';
    return folder;
}

CString WithoutBackslash(CString path)
{
    if (path.EndsWith('\\'))
        return path.Left(path.GetLength() - 1);
    return path;
}

CString JoinPath(CString folder, const char* name)
{
    CString path = WithBackslash(std::move(folder));
    path += name;
    return path;
}
