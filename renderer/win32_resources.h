// Resource identifiers of the renderer program, shared by its resource script and its code.
#pragma once

#define IDI_ORVELINE_RENDERER 7002
#define IDS_ORVELINE_DESCRIPTION 1
