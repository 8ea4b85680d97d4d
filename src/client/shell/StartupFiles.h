#pragma once

#include <QString>

// The files the client makes sure of before any window shows.
namespace StartupFiles {

// "Groups\Group.dat" holding one blank line, with its folder, when missing.
void EnsureGroupIndex(const QString& appPath);
// An empty Config\<name> when missing; a missing Config folder stays missing.
void EnsureConfigFile(const QString& appPath, const QString& name);
void ensureAll(const QString& appPath);

} // namespace StartupFiles
