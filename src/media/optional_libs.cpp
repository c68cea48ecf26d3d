#include "media/optional_libs.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>

#include "media/image_loader.h"
#include "media/load_detect.h"
#include "settings/lang_texts.h"

namespace varn {

u32 kestgen_available = 0;
u32 kest32x_available = 0;
u32 unrar_available   = 0;
u32 zlib_available    = 0;

NamerLibrary kestgen_lib;
NamerLibrary kest32x_lib;
ZlibLibrary zlib_lib;
ArchiveLibrary archive_lib;

namespace {

std::vector<FileFilter> filters;

// Handles of what is bound; a library may take more than one file (zlib and its unzip
// functions).
void* kestgen_handle = nullptr;
void* kest32x_handle = nullptr;
std::vector<void*> archive_handles;
std::vector<void*> zlib_handles;

struct Binding {
    const char* name;
    bool required;
    u32 file;  // index into the library's file list
    void (*store)(void* symbol);
};

template <class Fn>
void store_symbol(Fn& slot, void* symbol) {
    slot = reinterpret_cast<Fn>(symbol);
}

#define VARN_BIND(lib, fn, required, file)                            \
    {                                                                 \
#fn, required, file, [](void* s) { store_symbol(lib.fn, s); } \
    }

const Binding kKestgenBindings[] = {
    VARN_BIND(kestgen_lib, crc, true, 0),
    VARN_BIND(kestgen_lib, name, true, 0),
    VARN_BIND(kestgen_lib, about, true, 0),
};
const Binding kKest32xBindings[] = {
    VARN_BIND(kest32x_lib, crc, true, 0),
    VARN_BIND(kest32x_lib, name, true, 0),
    VARN_BIND(kest32x_lib, about, true, 0),
};
const Binding kArchiveBindings[] = {
    VARN_BIND(archive_lib, archive_read_new, true, 0),
    VARN_BIND(archive_lib, archive_read_support_format_rar, true, 0),
    VARN_BIND(archive_lib, archive_read_support_format_rar5, true, 0),
    VARN_BIND(archive_lib, archive_read_open_filename, true, 0),
    VARN_BIND(archive_lib, archive_read_next_header, true, 0),
    VARN_BIND(archive_lib, archive_read_data, true, 0),
    VARN_BIND(archive_lib, archive_read_free, true, 0),
    VARN_BIND(archive_lib, archive_entry_pathname, true, 0),
    VARN_BIND(archive_lib, archive_entry_size, true, 0),
    VARN_BIND(archive_lib, archive_entry_size_is_set, true, 0),
};
const Binding kZlibBindings[] = {
    VARN_BIND(zlib_lib, zlibVersion, false, 0),
    VARN_BIND(zlib_lib, compress, false, 0),
    VARN_BIND(zlib_lib, compress2, false, 0),
    VARN_BIND(zlib_lib, deflateInit_, true, 0),
    VARN_BIND(zlib_lib, deflateInit2_, false, 0),
    VARN_BIND(zlib_lib, deflate, true, 0),
    VARN_BIND(zlib_lib, deflateEnd, true, 0),
    VARN_BIND(zlib_lib, deflateReset, true, 0),
    VARN_BIND(zlib_lib, deflateBound, false, 0),
    VARN_BIND(zlib_lib, unzStringFileNameCompare, true, 1),
    VARN_BIND(zlib_lib, unzOpen, true, 1),
    VARN_BIND(zlib_lib, unzClose, true, 1),
    VARN_BIND(zlib_lib, unzGetGlobalInfo, true, 1),
    VARN_BIND(zlib_lib, unzGetGlobalComment, true, 1),
    VARN_BIND(zlib_lib, unzGoToFirstFile, true, 1),
    VARN_BIND(zlib_lib, unzGoToNextFile, true, 1),
    VARN_BIND(zlib_lib, unzLocateFile, true, 1),
    VARN_BIND(zlib_lib, unzGetCurrentFileInfo, true, 1),
    VARN_BIND(zlib_lib, unzOpenCurrentFile, true, 1),
    VARN_BIND(zlib_lib, unzCloseCurrentFile, true, 1),
    VARN_BIND(zlib_lib, unzReadCurrentFile, true, 1),
    VARN_BIND(zlib_lib, unzGetLocalExtrafield, true, 1),
};

#undef VARN_BIND

// The symbol names of the naming libraries carry the library's prefix.
std::string symbol_name(const char* prefix, const char* field) {
    if (prefix == nullptr) return field;
    std::string s = prefix;
    s += field[0] == 'c' ? "CRC" : field[0] == 'n' ? "Name" : "About";
    return s;
}

void close_all(std::vector<void*>& handles) {
    for (void* h : handles) {
        if (h != nullptr) dlclose(h);
    }
    handles.clear();
}

// Opens every file of a library and looks up each name. All or nothing: returns false
// (and closes what it opened) when a file or a required name is missing.
template <std::size_t N>
bool bind_library(const std::vector<std::string>& files, const Binding (&bindings)[N],
                  const char* prefix, const LibraryBindOptions& options,
                  std::vector<void*>& handles) {
    for (const auto& file : files) {
        void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (h == nullptr) {
            close_all(handles);
            return false;
        }
        handles.push_back(h);
    }
    for (const auto& b : bindings) {
        const std::string name = symbol_name(prefix, b.name);
        void* symbol           = nullptr;
        if (!options.hide_symbol || !options.hide_symbol(name)) {
            symbol = dlsym(handles[b.file], name.c_str());
        }
        if (symbol == nullptr && b.required) {
            for (const auto& c : bindings) c.store(nullptr);
            close_all(handles);
            return false;
        }
        b.store(symbol);
    }
    return true;
}

// The naming libraries are taken from the program's own folder only, never from the
// current folder or the library search path.
std::string namer_path(const LibraryBindOptions& options, const std::string& file) {
    if (options.namer_folder.empty()) return {};
    return (options.namer_folder / file).string();
}

void choose_filters() {
    std::string suffix;
    if (unrar_available != 0) suffix += ";*.RAR";
    if (zlib_available != 0) suffix += ";*.ZIP";
    filters.clear();
    for (u32 i = 1; i <= lang::kFilterCount; ++i) {
        FileFilter f{lang_filter_description(i), lang_filter_pattern(i)};
        if (!suffix.empty()) {
            // The archive patterns go inside the description's list as well.
            const auto close = f.description.rfind(')');
            if (close != std::string::npos) f.description.insert(close, suffix);
            f.patterns += suffix;
        }
        filters.push_back(std::move(f));
    }
}

}  // namespace

u32 dll_bind_optional(const LibraryBindOptions& options) {
    dll_release();
    // The naming libraries normally stay for the process's life; binding again (tests)
    // starts them afresh.
    for (void** h : {&kestgen_handle, &kest32x_handle}) {
        if (*h != nullptr) dlclose(*h);
        *h = nullptr;
    }
    kestgen_lib = {};
    kest32x_lib = {};
    struct Step {
        u32& flag;
        bool message;
        lang::Slot text;
        std::function<bool()> bind;
    };
    std::vector<void*> kestgen_handles, kest32x_handles;
    Step steps[] = {
        {kestgen_available, options.message_kestgen, lang::ERM_FIO_KGEN,
         [&] {
             const auto path = namer_path(options, options.kestgen_file);
             return !path.empty() &&
                    bind_library({path}, kKestgenBindings, "kestgen_", options, kestgen_handles);
         }},
        {kest32x_available, options.message_kest32x, lang::ERM_FIO_K32X,
         [&] {
             const auto path = namer_path(options, options.kest32x_file);
             return !path.empty() &&
                    bind_library({path}, kKest32xBindings, "kest32x_", options, kest32x_handles);
         }},
        {unrar_available, options.message_unrar, lang::ERM_FIO_UNR,
         [&] {
             return bind_library({options.archive_file}, kArchiveBindings, nullptr, options,
                                 archive_handles);
         }},
        {zlib_available, options.message_zlib, lang::ERM_FIO_ZLB,
         [&] {
             return bind_library({options.zlib_file, options.unzip_file}, kZlibBindings, nullptr,
                                 options, zlib_handles);
         }},
    };
    for (auto& step : steps) {
        step.flag = step.bind() ? 1 : 0;
        if (step.flag == 0 && step.message) media_ui().message_box(lang_text(step.text));
    }
    kestgen_handle = kestgen_handles.empty() ? nullptr : kestgen_handles[0];
    kest32x_handle = kest32x_handles.empty() ? nullptr : kest32x_handles[0];
    choose_filters();
    return 1;
}

void dll_release() {
    // An archive still open would otherwise be closed later through released code.
    if (image_loader.archive != nullptr) rom_release_source();
    close_all(archive_handles);
    close_all(zlib_handles);
    archive_lib     = {};
    zlib_lib        = {};
    unrar_available = 0;
    zlib_available  = 0;
}

const std::vector<FileFilter>& rom_filter_text() {
    if (filters.empty()) choose_filters();
    return filters;
}

}  // namespace varn
