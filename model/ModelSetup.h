// Start-up and reset of the model's global state.
#pragma once

// Enters every board object class in the class registry, so archives can create
// objects by name. Safe to call more than once.
void RegisterModelClasses();
// Puts every prototype object back to its start-up values.
void ResetModelPrototypes();
