// Subcommands of korin16-cli; each takes the arguments after its name.
#pragma once

int cliDevices(int argc, char** argv);
int cliInfo(int argc, char** argv);
int cliRecord(int argc, char** argv);
int cliExport(int argc, char** argv);
int cliSettings(int argc, char** argv);
int cliMeasure(int argc, char** argv);
