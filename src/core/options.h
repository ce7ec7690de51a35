#pragma once
// The run settings chosen on the command line and by the environment.
#include <string>
#include <vector>

namespace morvel {

struct Options {
    std::string program_path;                  ///< argv[0] as started
    std::string log_file_name = "morvel.log";  ///< -l, -b
    bool silent = false;                       ///< -s
    bool debug_disabled = false;               ///< -n
    bool quit_without_log = false;             ///< -q
    bool log_from_definition = false;          ///< -b
    bool xml_spool = false;                    ///< -m forces, else detected
    int utf8_mode = 0;                         ///< -u; negative asks for detection
    bool utf8_given = false;                   ///< -u was given (also -u 0)
    bool run_after_errors = false;             ///< -r
    std::string preview_prefix;                ///< -p
    bool preview = false;
    int invoke_wait_seconds = 0;   ///< -w
    std::string return_code_file;  ///< -d
    bool return_codes = false;
    std::string token_file_name;  ///< -t
    bool write_token_file = false;
    std::string client_data_file;  ///< -a
    bool write_client_data = false;
    unsigned char execute_only_mark = 5;  ///< -e sets 10
    int definition_key = 0;               ///< -k
    std::string generate_file;            ///< -g
    std::string definition_name;          ///< first file argument
    std::string spool_name;               ///< second file argument
    std::string temp_dir;                 ///< VAVIRIRODI
    bool has_temp_dir = false;
    bool strict_delivery = false;  ///< --strict-delivery or strict_delivery=1 in morvel.ini
};

}  // namespace morvel
