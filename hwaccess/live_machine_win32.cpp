// The live backend on Windows: this PC's PCI functions as the Configuration Manager reports
// them, without a driver, as a read-only machine of emulated configuration images
// (pnp_machine.h). Every present device node of the "PCI" enumerator gives its bus number,
// address, hardware and compatible ids (device properties, or the older registry properties
// where a system lacks them), its parent and its allocated resources.
#include <windows.h>

// initguid.h first: devpkey.h then defines the property keys rather than declaring them.
#include <initguid.h>

#include <devpkey.h>

#include <cfgmgr32.h>

#include <cstdio>
#include <cstring>

#include "live_machine.h"
#include "pnp_machine.h"
#include "pnp_resources_win32.h"

namespace tvk {

namespace {

std::string Failure(const char* call, CONFIGRET result) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "machine source live: Windows' list of PCI devices could not be read "
                  "(%s: CONFIGRET 0x%02lX)",
                  call, static_cast<unsigned long>(result));
    return text;
}

std::optional<uint32_t> NumberProperty(DEVINST node, const DEVPROPKEY& key, ULONG registry) {
    ULONG value = 0;
    DEVPROPTYPE type = 0;
    ULONG size = sizeof value;
    if (CM_Get_DevNode_PropertyW(node, &key, &type, reinterpret_cast<PBYTE>(&value), &size, 0) ==
            CR_SUCCESS &&
        type == DEVPROP_TYPE_UINT32 && size == sizeof value)
        return value;
    ULONG registryType = 0;
    size = sizeof value;
    if (CM_Get_DevNode_Registry_PropertyW(node, registry, &registryType, &value, &size, 0) ==
            CR_SUCCESS &&
        registryType == REG_DWORD && size == sizeof value)
        return value;
    return std::nullopt;
}

std::vector<std::string> ListProperty(DEVINST node, const DEVPROPKEY& key, ULONG registry) {
    DEVPROPTYPE type = 0;
    ULONG size = 0;
    if (CM_Get_DevNode_PropertyW(node, &key, &type, nullptr, &size, 0) == CR_BUFFER_SMALL &&
        size > 0) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (CM_Get_DevNode_PropertyW(node, &key, &type, reinterpret_cast<PBYTE>(buffer.data()),
                                     &size, 0) == CR_SUCCESS &&
            type == DEVPROP_TYPE_STRING_LIST)
            return PnpStringList(buffer.data(), size / sizeof(wchar_t));
    }
    ULONG registryType = 0;
    size = 0;
    if (CM_Get_DevNode_Registry_PropertyW(node, registry, &registryType, nullptr, &size, 0) ==
            CR_BUFFER_SMALL &&
        size > 0) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (CM_Get_DevNode_Registry_PropertyW(node, registry, &registryType, buffer.data(), &size,
                                              0) == CR_SUCCESS &&
            registryType == REG_MULTI_SZ)
            return PnpStringList(buffer.data(), size / sizeof(wchar_t));
    }
    return {};
}

std::string InstanceId(DEVINST node) {
    ULONG length = 0;
    if (CM_Get_Device_ID_Size(&length, node, 0) != CR_SUCCESS) return {};
    std::vector<wchar_t> buffer(length + 1, L'\0');
    if (CM_Get_Device_IDW(node, buffer.data(), length + 1, 0) != CR_SUCCESS) return {};
    const std::vector<std::string> id = PnpStringList(buffer.data(), length);
    return id.empty() ? std::string() : id.front();
}

// The resources Windows allocated to the function, in the order it lists them.
void ReadResources(DEVINST node, PnpDevice& device) {
    LOG_CONF conf = 0;
    if (CM_Get_First_Log_Conf(&conf, node, ALLOC_LOG_CONF) != CR_SUCCESS) return;
    RES_DES previous = static_cast<RES_DES>(conf);
    bool descriptor = false;  // whether `previous` is a descriptor handle of ours to free
    for (;;) {
        RES_DES next = 0;
        RESOURCEID type = 0;
        if (CM_Get_Next_Res_Des(&next, previous, ResType_All, &type, 0) != CR_SUCCESS) break;
        if (descriptor) CM_Free_Res_Des_Handle(previous);
        previous = next;
        descriptor = true;
        ULONG size = 0;
        if (CM_Get_Res_Des_Data_Size(&size, next, 0) != CR_SUCCESS || size == 0) continue;
        std::vector<BYTE> data(size);
        if (CM_Get_Res_Des_Data(next, data.data(), size, 0) == CR_SUCCESS)
            AddPnpResource(type, data.data(), size, device);
    }
    if (descriptor) CM_Free_Res_Des_Handle(previous);
    CM_Free_Log_Conf_Handle(conf);
}

}  // namespace

std::unique_ptr<Machine> OpenLiveMachine(std::string& error, const std::string&,
                                         const std::string&) {
    error.clear();
    ULONG length = 0;
    char enumerator[] = "PCI";
    CONFIGRET result =
        CM_Get_Device_ID_List_SizeA(&length, enumerator, CM_GETIDLIST_FILTER_ENUMERATOR);
    if (result != CR_SUCCESS) {
        error = Failure("CM_Get_Device_ID_List_Size", result);
        return nullptr;
    }
    std::vector<char> ids(length + 2, '\0');
    if (length > 1) {
        result =
            CM_Get_Device_ID_ListA(enumerator, ids.data(), length, CM_GETIDLIST_FILTER_ENUMERATOR);
        if (result != CR_SUCCESS) {
            error = Failure("CM_Get_Device_ID_List", result);
            return nullptr;
        }
    }
    std::vector<PnpDevice> devices;
    CONFIGRET locateFailure = CR_SUCCESS;
    for (const char* id = ids.data(); *id && id < ids.data() + length; id += std::strlen(id) + 1) {
        DEVINST node = 0;
        result = CM_Locate_DevNodeA(&node, const_cast<char*>(id), CM_LOCATE_DEVNODE_NORMAL);
        if (result == CR_NO_SUCH_DEVNODE || result == CR_NO_SUCH_DEVINST) continue;  // absent
        if (result != CR_SUCCESS) {
            locateFailure = result;
            continue;
        }
        PnpDevice d;
        d.instanceId = id;
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, node, 0) == CR_SUCCESS) d.parentId = InstanceId(parent);
        d.busNumber = NumberProperty(node, DEVPKEY_Device_BusNumber, CM_DRP_BUSNUMBER);
        d.address = NumberProperty(node, DEVPKEY_Device_Address, CM_DRP_ADDRESS);
        d.hardwareIds = ListProperty(node, DEVPKEY_Device_HardwareIds, CM_DRP_HARDWAREID);
        d.compatibleIds = ListProperty(node, DEVPKEY_Device_CompatibleIds, CM_DRP_COMPATIBLEIDS);
        if (d.hardwareIds.empty()) d.hardwareIds.push_back(id);  // it begins with them
        ReadResources(node, d);
        devices.push_back(std::move(d));
    }
    if (devices.empty() && locateFailure != CR_SUCCESS) {
        error = Failure("CM_Locate_DevNode", locateFailure);
        return nullptr;
    }
    return std::make_unique<PnpMachine>(devices);
}

bool LiveMachineHasFunctions() {
    std::string error;
    const std::unique_ptr<Machine> machine = OpenLiveMachine(error);
    const auto* pnp = dynamic_cast<const PnpMachine*>(machine.get());
    return pnp && pnp->FunctionCount() > 0;
}

}  // namespace tvk
