// Writes the example tables and the example journal into a folder, so that a
// newcomer can calculate without typing a table first: make_examples FOLDER

#include "examples/ExampleJournal.h"
#include "examples/ExampleTables.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Usage: make_examples FOLDER\n"
                     "Writes the example current tables, Avtomat.xml and tranform.xml into "
                     "FOLDER, and the example journal, replacing files of the same names.\n";
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        for (const std::string& name : kalvenor::examples::WriteExampleTables(folder)) {
            std::cout << name << '\n';
        }
        std::cout << kalvenor::examples::WriteExampleJournal(folder) << '\n';
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
