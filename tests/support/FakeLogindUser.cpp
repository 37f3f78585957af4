#include "FakeLogindUser.h"

FakeLogindUser::FakeLogindUser(uint uid, QString runtimePath)
    : m_uid(uid), m_runtimePath(std::move(runtimePath))
{
}
