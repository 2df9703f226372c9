#include "ide/main/view_model_seam.h"

#include <QtGlobal>

#include "ide/main/main_form.h"
#include "ide/main/register_views.h"
#include "ide/workbench/device_host.h"

bool BindModelForViewing(TMainForm& form, TDeviceHost& host, const QString& model)
{
    const auto& libraries = host.InfoDevices();
    for (std::size_t library = 0; library < libraries.size(); ++library) {
        const TAshortstrings& models = libraries[library]->vSModel;
        for (std::int32_t index = 0; index < models.length(); ++index) {
            if (models[index].toQString().compare(model, Qt::CaseInsensitive) != 0)
                continue;
            host.MCUInfoIndex = std::int32_t(library);
            host.MCUModelIndex = index;
            if (!form.LoadDllMC())
                return false;
            RefreshDone = true;
            form.ShowAllRegAndCounters();
            return true;
        }
    }
    return false;
}

void BindModelFromEnvironment(TMainForm& form, TDeviceHost& host)
{
    const QString model = qEnvironmentVariable("TARNWICK_VIEW_MODEL");
    if (!model.isEmpty())
        BindModelForViewing(form, host, model);
}
