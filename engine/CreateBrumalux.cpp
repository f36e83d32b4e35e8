#include "engine/CreateBrumalux.h"

#include "engine/Brumalux.h"

#include <new>

AudioFilterBase* CreateBrumalux()
{
    try
    {
        return new Brumalux();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
