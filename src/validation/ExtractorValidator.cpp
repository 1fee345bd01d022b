// CExtractorValidator: the process's instance and the requirements check (the other members live
// with their concern: PathChecks, LanguageChecks, OSCheck, PartFiles, Md5).
#include "validation/ExtractorValidator.h"

#include "conditions/ConditionCheck.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"

namespace {
ProcessObject<CExtractorValidator> g_validator;
} // namespace

CExtractorValidator& Validator()
{
    return g_validator.Get();
}

int CExtractorValidator::CheckConditions(int language)
{
    const std::wstring& path = m_propertiesPath.empty() ? Settings().GetPropertiesPath() : m_propertiesPath;
    return ::CheckConditions(path, language, m_conditionMessageKeys);
}
