// ESLint for the page's scripts (scripts/check-style runs it). The scripts are
// classic <script>s sharing one global scope, in the order of web/page.html, so
// each file may use the top-level names the others declare.
'use strict';

const fs = require('fs');
const path = require('path');

const webDir = path.join(__dirname, 'web');
const scripts = fs.readdirSync(webDir).filter((name) => name.endsWith('.js'));

function topLevelNames(file) {
    const text = fs.readFileSync(path.join(webDir, file), 'utf8');
    const declaration = /^(?:async\s+)?(?:const|let|var|function\*?|class)\s+([A-Za-z_$][\w$]*)/gm;
    return Array.from(text.matchAll(declaration), (match) => match[1]);
}

// What web/page.html itself declares: the example file and the message catalogue.
const pageGlobals = ['kExampleFileHex', 'kCatalogue'];

// The browser's own names the scripts use.
const browserGlobals = [
    'window', 'document', 'navigator', 'console', 'performance', 'location',
    'Blob', 'File', 'Option', 'ResizeObserver', 'FileReader', 'URL', 'TextDecoder', 'TextEncoder',
    'HTMLElement', 'Event', 'KeyboardEvent', 'DOMException', 'AbortController',
    'requestAnimationFrame', 'cancelAnimationFrame', 'setTimeout', 'clearTimeout',
    'queueMicrotask', 'matchMedia', 'getComputedStyle', 'structuredClone',
];

// ESLint's recommended rules (the package that bundles them is not installed):
// each catches a mistake, none is about layout.
const problemRules = [
    'constructor-super', 'for-direction', 'getter-return', 'no-async-promise-executor',
    'no-case-declarations', 'no-class-assign', 'no-compare-neg-zero', 'no-cond-assign',
    'no-const-assign', 'no-constant-binary-expression', 'no-constant-condition',
    'no-control-regex', 'no-debugger', 'no-delete-var', 'no-dupe-args',
    'no-dupe-class-members', 'no-dupe-else-if', 'no-dupe-keys', 'no-duplicate-case',
    'no-empty', 'no-empty-character-class', 'no-empty-pattern', 'no-ex-assign',
    'no-fallthrough', 'no-func-assign', 'no-global-assign', 'no-invalid-regexp',
    'no-irregular-whitespace', 'no-loss-of-precision', 'no-misleading-character-class',
    'no-new-native-nonconstructor', 'no-obj-calls', 'no-prototype-builtins',
    'no-self-assign', 'no-setter-return', 'no-shadow-restricted-names', 'no-sparse-arrays',
    'no-this-before-super', 'no-undef', 'no-unreachable', 'no-unsafe-finally',
    'no-unsafe-negation', 'no-unsafe-optional-chaining', 'no-unused-labels',
    'no-unused-private-class-members', 'no-useless-backreference', 'no-useless-catch',
    'no-with', 'require-yield', 'use-isnan', 'valid-typeof',
];

const readonly = (names) => Object.fromEntries(names.map((name) => [name, 'readonly']));

module.exports = scripts.map((file) => ({
    files: [`web/${file}`],
    languageOptions: {
        ecmaVersion: 2022,
        sourceType: 'script',
        globals: readonly([
            ...browserGlobals,
            ...pageGlobals,
            ...scripts.filter((other) => other !== file).flatMap(topLevelNames),
        ]),
    },
    linterOptions: {reportUnusedDisableDirectives: 'error'},
    rules: {
        ...Object.fromEntries(problemRules.map((rule) => [rule, 'error'])),
        // Top-level names are used by the other scripts, which ESLint cannot see.
        'no-unused-vars': ['error', {vars: 'local', args: 'after-used'}],
        'strict': ['error', 'global'],
    },
}));
