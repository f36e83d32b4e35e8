// The organ plug-in: the organ filter with its editor, for the VST 2 entry point.
#include "editor/OrganEditorFactory.h"
#include "hostcore/PluginFilterFactory.h"
#include "userfiles/CreateOrgan.h"

#include <new>

namespace brumalux
{

AudioFilterBase* CreateBrumalux()
{
    try
    {
        return CreateOrgan(&CreateOrganEditor).release();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

} // namespace brumalux
