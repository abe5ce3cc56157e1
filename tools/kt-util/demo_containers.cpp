// kt-util demo: the region containers at work on examples/words.txt.
#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "command.h"
#include "kt/containers_hash.h"

namespace ktutil {
namespace {

bool read_words(const std::string &path, std::vector<std::string> &words) {
    std::ifstream in(path);
    if (!in)
        return false;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            words.push_back(line);
    return true;
}

int demo_containers(const std::string &dir) {
    std::vector<std::string> words;
    if (!read_words(dir + "/words.txt", words))
        return failure("demo", file_problem(dir + "/words.txt", errno));
    PWSRegion region;
    bool ok = true;
    {
        StringTable table(&region);
        for (const std::string &w : words)
            ok &= table.enter(w.c_str()) >= 0;
        say("interned " + std::to_string(table.id_limit()) + " words as ids 0.." +
            std::to_string(table.id_limit() - 1) + "; \"diode\" is id " + std::to_string(table.find("diode")));
        table.free(table.find("diode"));
        say("released \"diode\"; \"varactor\" is given its id: " + std::to_string(table.enter("varactor")));

        Hash_cString_int letters(&region);
        for (const std::string &w : words) {
            for (char c : w) {
                int created = 0;
                const char key[2] = {c, '\0'};
                Hash_entry_cString_int *e = letters.create(key, created);
                ok &= e != nullptr;
                if (e)
                    letters.save_value(e, letters.value(e) + 1);
            }
        }
        std::string line = "letters in bucket order:";
        Hash_Iterator walk(&letters);
        while (Hash_entry *e = walk()) {
            auto *entry = static_cast<Hash_entry_cString_int *>(e);
            line += " " + std::string(letters.key(entry)) + "=" + std::to_string(letters.value(entry));
        }
        say(line);
        say(std::to_string(letters.allocated()) + " distinct letters in " + std::to_string(letters.bucket_count()) +
            " buckets");

        Quu_int lengths(&region, 0);
        std::string growth = "queue of word lengths, capacity after each:";
        for (const std::string &w : words) {
            ok &= lengths.queue(static_cast<int>(w.size())) > 0;
            growth += " " + std::to_string(lengths.max_size());
        }
        say(growth);

        Bank items(24, &region, 3);
        for (size_t k = 0; k < words.size(); ++k)
            ok &= items.get() != nullptr;
        say("bank of 24-byte items in blocks of 3: " + std::to_string(items.allocated()) + " handed out from " +
            std::to_string(items.total() / 3) + " blocks");
        say("region bytes in use with all of these: " + std::to_string(region.bytes_in_use()));
    }
    say("region bytes in use once they are gone: " + std::to_string(region.bytes_in_use()));
    if (!ok)
        return failure("demo", "a region refused storage");
    return 0;
}

const RegisterDemo section{{70, "Region containers (words.txt)", demo_containers}};

} // namespace
} // namespace ktutil
