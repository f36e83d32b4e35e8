#include "userfiles/CreateOrgan.h"

#include "userfiles/ControllerMapFile.h"

namespace brumalux
{

std::unique_ptr<Brumalux> CreateOrgan(Brumalux::EditorFactory editorFactory)
{
    auto organ = std::make_unique<Brumalux>(editorFactory);
    auto& mapping = organ->Controllers();
    if (const auto userDefault =
            ControllerMapFile::Read(ControllerMapFile::UserDefault(), mapping.ParameterNames());
        userDefault.value)
        mapping.RestoreMap(*userDefault.value);
    return organ;
}

} // namespace brumalux
